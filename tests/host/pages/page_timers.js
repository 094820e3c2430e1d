// The page's timers behave as a browser's.
var order = [];
var started = Date.now();

setTimeout(function () { order.push("30"); }, 30);
setTimeout(function () { order.push("10"); }, 10);
setTimeout(function (a, b) { order.push("20:" + a + b); }, 20, "x", "y");
var cancelled = setTimeout(function () { order.push("cancelled"); }, 5);
clearTimeout(cancelled);
clearTimeout(cancelled);   // twice is harmless
clearTimeout(undefined);   // and so is nothing
clearInterval(123456);
setTimeout("order.push('code')", 15);
setTimeout(function () { order.push("negative"); }, -5);

var ticks = 0;
var interval = setInterval(function () {
    ticks++;
    if (ticks === 3)
        clearInterval(interval);
}, 10);

// A timer cleared by an earlier one never fires.
var late = setTimeout(function () { order.push("late"); }, 60);
setTimeout(function () { clearTimeout(late); }, 40);

var ids = [setTimeout(function () {}, 1000), setTimeout(function () {}, 1000)];
host.verify(ids[0] > 0 && ids[1] > ids[0], "ids are positive and increasing");
ids.forEach(clearTimeout);

setTimeout(function () {
    host.compare(order, ["negative", "10", "code", "20:xy", "30"], "order by delay");
    host.compare(ticks, 3, "the interval stopped itself after three ticks");
    host.verify(Date.now() - started >= 100, "no timer fires early");
    host.done();
}, 100);
