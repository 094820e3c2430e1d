// After --unregister the page cannot create the control, and says why.
var error = null;
try {
    document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
} catch (e) {
    error = String(e);
}
host.verify(error !== null, "createControl failed");
host.verify(/class \{15E44774-3BF3-4435-A9E2-9A7BCD1887F9\} is not registered/.test(error),
            "a clear error: " + error);
host.done();
