// Modal dialogs inside the page's own calls: an "error" answer opens the
// panel's warning with exec() while sltReceiveCommand is on the page's stack.
// Meanwhile timers fire, further messages are handled, the control can be
// replaced, and host.done() still ends the host from inside the loop.
var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
function error(text) {
    return '{"requestParam":"workingMode","event":"error","target":"' + text + '"}';
}

var panel = document.createControl(CORVANE);
var texts = [];
panel.textChanged.connect(function (message) { texts.push(message); });

var inFirstCall = false;
var steps = [];
setTimeout(function () {
    steps.push("timer in the warning");
    host.verify(inFirstCall, "the timer fires while the first warning is open");
    // A volume answer meanwhile moves the slider, which reports back at once.
    panel.sltReceiveCommand('{"requestParam":"workingMode","event":"volume","target":"42"}');
    host.compare(texts[texts.length - 1],
                 '{"event":"volume","requestParam":"workingMode","target":"42","token":""}',
                 "a message arriving while a warning is open is handled");
    setTimeout(function () {
        steps.push("replace");
        // The first control goes away with both of its warnings open.
        var second = document.createControl(CORVANE);
        host.verify(!panel.alive, "the first control has been replaced");
        panel = second;
    }, 30);
    // A second warning on top of the first one.
    panel.sltReceiveCommand(error("第二个警告"));
    steps.push("second warning ended");
}, 30);

inFirstCall = true;
panel.sltReceiveCommand(error("第一个警告"));
inFirstCall = false;
host.compare(steps, ["timer in the warning", "replace", "second warning ended"],
             "the warnings end when their control goes");
host.verify(panel.alive, "the new control lives");

// A warning at top level that host.done() ends: the host must exit, not wait.
var ended = false;
setTimeout(function () {
    ended = true;
    host.done();
}, 50);
panel.sltReceiveCommand(error("第三个警告"));
host.verify(ended, "only host.done() ended the third warning");
