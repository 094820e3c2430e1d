// An error in a listener or a timer is reported and fails the page even when
// the page then says done (run with --expect-exit 1). Later timers still run.
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var after = 0;
panel.textChanged.connect(function () { throw new Error("listener boom"); });
panel.textChanged.connect(function () { after++; });
panel.text = "x";
setTimeout(function () { undefinedFunction(); }, 5);
setTimeout(function () {
    if (after !== 1)
        host.exit(3); // the second listener must still have run
    host.done();
}, 30);
