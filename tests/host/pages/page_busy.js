// A page that never returns is still stopped by the time limit (exit code
// 124): busy at top level, or in a timer that catches whatever is thrown.
if (host.args.where === "timer") {
    setTimeout(function () {
        function spin() { for (;;) {} }
        for (;;) {
            try { spin(); } catch (e) {}
        }
    }, 0);
} else {
    for (;;) {}
}
