// A page that never reports is stopped by the time limit (exit code 124).
document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
setInterval(function () {}, 50);
