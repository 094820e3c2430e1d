// The demo page's platform: its answers to the panel's commands, on a clock
// the test moves by hand.
host.include(host.env("VEL_DEMO_DIR") + "/platform.js");

var clock = 1000000;
var platform = new VelDemoPlatform({ now: function () { return clock; } });
function command(event, target) {
    return platform.format({ event: event, requestParam: "workingMode",
                             target: target || { recordingMode: "recordingModeMovieAndResource",
                                                 workingMode: "workingModeRecordingAndLivecast" },
                             token: "" });
}
function only(answers) {
    host.compare(answers.length, 1, "one answer");
    return platform.parse(answers[0]) || {};
}

// The panel's messages are formatted by the control: nested target, no blanks.
var start = only(platform.answer('{"event":"start","requestParam":"workingMode","target":{"recordingMode":"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}'));
host.compare(start.requestParam, "workingMode", "start: kind");
host.compare(start.event, "start", "start: event");
host.compare(start.target, { workingMode: "workingModeRecording", recordingMode: "recordingModeMovie",
                             startTime: "0" }, "start: target with the start time");

clock += 65400;
var pause = only(platform.answer(command("pause")));
host.compare(pause.event, "pause", "pause: event");
host.compare(pause.target.startTime, "65", "pause: elapsed seconds");
host.compare(pause.hostId, "demo-host", "pause: hostId so the panel takes the mode");
host.compare(pause.target.workingMode, "workingModeRecordingAndLivecast", "pause: mode echoed");
clock += 30000;
host.compare(platform.seconds(), "65", "the clock stands still while paused");
host.compare(only(platform.answer(command("restart"))).event, "restart", "restart");
clock += 5000;
host.compare(platform.seconds(), "70", "the clock runs again");
var stopped = platform.answer(command("stop")).map(platform.parse);
host.compare(stopped.map(function (a) { return a.requestParam + "/" + a.event; }),
             ["workingMode/stop", "functionState/"], "stop, then the storage left");
host.compare(stopped[1].target, { index: "AvaliableMemory", state: "可用空间 : 128.4G" },
             "70 seconds of recording took their room");
host.compare(platform.seconds(), "0", "stop resets the clock");
var volume = only(platform.answer(command("volume", "40")));
host.compare([volume.event, volume.target], ["volume", "40"], "volume: the platform's value");
host.verify(!platform.stale(platform.answer(command("volume", "41"))[0]), "the newest is current");
host.verify(platform.stale(platform.format({ requestParam: "workingMode", event: "volume",
                                             target: "40", token: "" })),
            "an older volume answer is stale");
host.compare(platform.answer("not a message"), [], "garbage gets no answer");

// The room list: a JSON array followed by another key (the panel's rewriting
// looks for "}],").
var rooms = platform.answer('{"event":"","requestParam":"initLiveRoom","target":"","token":""}');
host.compare(rooms.length, 1, "initLiveRoom answered");
host.verify(rooms[0].indexOf('"target":[{"id":"room101","name":"一号直播间"}') >= 0, rooms[0]);
host.verify(rooms[0].indexOf('}],"token":""}') >= 0, "a key follows the array: " + rooms[0]);

// Errors on request.
var failing = new VelDemoPlatform({ fail: ["start", "initLiveRoom"] });
var error = failing.parse(failing.answer(command("start"))[0]);
host.compare(error.event, "error", "a failed start");
host.verify(error.target.length > 0, "the error has a message");
host.compare(failing.parse(failing.answer('{"event":"","requestParam":"initLiveRoom","target":"","token":""}')[0]).event,
             "error", "a failed live room list");
host.compare(failing.parse(failing.answer(command("stop"))[0]).event, "stop", "other commands still work");

// Round trip through the control: the page stores a command, the platform
// answers, the answer goes back in.
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var sent = [];
panel.textChanged.connect(function (message) {
    platform.answer(message).forEach(function (reply) {
        setTimeout(function () { sent.push(reply); panel.sltReceiveCommand(reply); }, 10);
    });
});
panel.text = '{"event":"start","requestParam":"workingMode","target":{"recordingMode":"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}';
setTimeout(function () {
    host.compare(sent.length, 1, "the answer went back to the control");
    host.done();
}, 100);
