// One classroom session on the directing panel, the page playing the platform
// of demo/platform.js: the cameras are declared and get streams from the test
// server, then the operator directs by hand, switches cameras, picks and edits
// a layout, sets a transition, records with live casting, pauses, resumes,
// places a video dot and stops with the live room closed. After every step the
// commands the platform got are compared with the ones it expected.
//
// A page cannot click inside the control. Each operator action is therefore
// played by storing, in the control's text, the message the control publishes
// for that click (formatted as the control formats it); the page hears it
// through textChanged like any other command, and the platform's answers go
// back through sltReceiveCommand into the real panel. Everything the panel
// publishes on its own (its volume report) is checked the same way, and an
// answer that opens one of the panel's modal dialogs is seen as a call that
// has not returned when the next step runs: the walk goes on inside it, as
// the operator would leave the dialog for the next click.
host.include(host.env("VEL_DEMO_DIR") + "/platform.js");

var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
var base = host.args.rtsp ? String(host.args.rtsp) : "";
if (!base) {
    console.log("page_session: no test stream server (--arg rtsp=...)");
    host.exit(77);
}

var cameras = [
    { name: "教师全景", token: "cam-teacher-wide", ptz: "1", mount: "/cam720" },
    { name: "教师特写", token: "cam-teacher-close", ptz: "1", mount: "/cam720main-noaudio" },
    { name: "学生全景", token: "cam-student-wide", ptz: "0", mount: "/cam720-noaudio" },
    { name: "板书", token: "cam-blackboard", ptz: "0", mount: "/cam720main-noaudio" }
];
var platform = new VelDemoPlatform({ cameras: cameras, volume: 35, program: "/cam720" });
var panel = document.createControl(CORVANE);
var task = { recordingMode: "recordingModeMovie", workingMode: "workingModeRecordingAndLivecast" };

// The message text of a command map as the control publishes it: keys in
// order, nested objects bare.
function controlText(map) {
    return "{" + Object.keys(map).sort().map(function (key) {
        var value = map[key];
        return "\"" + key + "\":" + (typeof value === "object" ? controlText(value)
                                                                : "\"" + value + "\"");
    }).join(",") + "}";
}
function operate(kind, event, target, token) {
    panel.text = controlText({ requestParam: kind, event: event || "", target: target || "",
                               token: token || "" });
}
function describe(command) {
    var target = command.target;
    if (typeof target === "object")
        target = Object.keys(target).sort().map(function (k) { return k + "=" + target[k]; })
                     .join(";");
    return [command.requestParam, command.event, target].join("|") +
           (command.token ? "|" + command.token : "");
}

// The platform answers after a short delay; answers still on their way and
// calls into the panel that have not returned (a modal dialog) are counted.
var pending = 0;
var inPanel = [];
var lastAnswers = [];
panel.textChanged.connect(function (message) {
    platform.answer(message).forEach(function (reply) {
        var answer = platform.parse(reply) || {};
        if (answer.event === "error") {
            host.verify(false, "the platform refused " + message + ": " + reply);
            return;
        }
        pending++;
        setTimeout(function () {
            pending--;
            lastAnswers.push(answer);
            inPanel.push(answer.requestParam);
            panel.sltReceiveCommand(reply);
            inPanel.splice(inPanel.lastIndexOf(answer.requestParam), 1);
        }, 30);
    });
});
var startTimes = [];
panel.sigStartTimeChanged.connect(function (time) { startTimes.push(time); });

function answered(kind) {
    return lastAnswers.filter(function (a) { return a.requestParam === kind; }).pop() || {};
}

var steps = [
    { name: "the classroom opens", act: function () {
        cameras.forEach(function (camera) {
            panel.sltSetOverviewWidget(camera.name, camera.token, camera.ptz);
        });
        panel.sltSetOverviewSource(base + "/cam720", "电影模式", "movie");
        cameras.forEach(function (camera) {
            panel.sltSetOverviewSource(base + camera.mount, camera.name, camera.token);
        });
        // Function states, storage, strategy, layouts, clips, course, effect.
        platform.setupMessages().forEach(function (message) {
            if (platform.parse(message).requestParam !== "setOverviewWidget")
                panel.sltReceiveCommand(message);
        });
        // The platform's volume: the panel's slider follows and reports it.
        panel.sltReceiveCommand(platform.volumeMessage());
      },
      expect: ["workingMode|volume|35"] },
    { name: "manual directing", act: function () { operate("directMode", "", "directModeManual"); },
      expect: ["directMode||directModeManual"] },
    { name: "switch to the blackboard", act: function () {
        operate("singleScreen", "change", "", "cam-blackboard");
      },
      expect: ["singleScreen|change||cam-blackboard"] },
    { name: "pick the two-screen layout", act: function () {
        operate("mutilScreen", "", "VelRECLayout2");
      },
      expect: ["mutilScreen||VelRECLayout2"] },
    { name: "edit its first cell", act: function () {
        operate("settingMutilScreen", "", { from: "cam-teacher-wide", layoutId: "VelRECLayout2",
                                            operate: "select", to: "cam-teacher-close" });
      },
      expect: ["settingMutilScreen||from=cam-teacher-wide;layoutId=VelRECLayout2;" +
               "operate=select;to=cam-teacher-close"] },
    { name: "set the fade transition", act: function () {
        operate("switchingEffects", "", "switchingEffectsFade");
      },
      expect: ["switchingEffects||switchingEffectsFade"] },
    { name: "ask for live rooms", act: function () { operate("initLiveRoom"); },
      expect: ["initLiveRoom||"], dialog: "initLiveRoom" },
    { name: "choose a live room", act: function () { operate("setLiveRoom", "", "room102"); },
      expect: ["setLiveRoom||room102"] },
    { name: "start", act: function () { operate("workingMode", "start", task); },
      expect: ["workingMode|start|recordingMode=recordingModeMovie;" +
               "workingMode=workingModeRecordingAndLivecast"],
      after: function () {
        // The platform tells the panel when the task began.
        host.compare(answered("workingMode").event, "start", "start answered");
        panel.sltStartTime(answered("workingMode").target.startTime);
      } },
    { name: "pause", act: function () { operate("workingMode", "pause", task); },
      expect: ["workingMode|pause|recordingMode=recordingModeMovie;" +
               "workingMode=workingModeRecordingAndLivecast"] },
    { name: "resume", act: function () { operate("workingMode", "restart", task); },
      expect: ["workingMode|restart|recordingMode=recordingModeMovie;" +
               "workingMode=workingModeRecordingAndLivecast"] },
    { name: "prepare a video dot", act: function () { operate("videoDotPrepare"); },
      expect: ["videoDotPrepare||"], dialog: "videoDotPrepare" },
    { name: "place the dot", act: function () {
        var time = String(answered("videoDotPrepare").target);
        operate("videoDot", "", { dotName: "aaa", dotTime: time, infoContent: "板书讲解",
                                  infoType: "fds" });
      },
      expect: function () {
        return ["videoDot||dotName=aaa;dotTime=" + answered("videoDotPrepare").target +
                ";infoContent=板书讲解;infoType=fds"];
      } },
    { name: "stop, closing the live room", act: function () {
        var stop = JSON.parse(JSON.stringify(task));
        stop.closeLiveRoom = "1";
        operate("workingMode", "stop", stop);
      },
      expect: ["workingMode|stop|closeLiveRoom=1;recordingMode=recordingModeMovie;" +
               "workingMode=workingModeRecordingAndLivecast"] }
];

var seen = 0;
function check(step) {
    var got = platform.received().slice(seen).map(describe);
    seen = platform.received().length;
    var expected = typeof step.expect === "function" ? step.expect() : step.expect;
    host.compare(got, expected, step.name + ": the commands the platform got");
    if (step.dialog)
        host.verify(inPanel.indexOf(step.dialog) >= 0,
                    step.name + ": the answer opens the panel's dialog");
    if (step.after)
        step.after();
}

// Waits for the answers of a step and a little quiet time for anything the
// panel sends on its own afterwards; bounded.
function settle(then) {
    var quiet = 0, waited = 0;
    var id = setInterval(function () {
        waited += 50;
        quiet = pending ? 0 : quiet + 1;
        if (quiet >= 4 || waited > 5000) {
            clearInterval(id);
            host.compare(pending, 0, "the platform's answers were delivered");
            then();
        }
    }, 50);
}

function finish() {
    var state = platform.state();
    host.compare([state.task, state.strategy, state.effect, state.layout, state.program],
                 ["idle", "directModeManual", "switchingEffectsFade", "VelRECLayout2",
                  "cam-blackboard"], "the platform's classroom after the session");
    host.compare([state.liveRoom, state.roomClosed], ["room102", true], "the live room was closed");
    host.compare(state.dots.length, 1, "one video dot placed");
    host.compare(startTimes, ["0"], "the start time reached the page");
    host.verify(panel.alive, "the panel lives through the session");
    host.done();
}

function next() {
    var step = steps.shift();
    if (!step) {
        finish();
        return;
    }
    console.log("page_session: " + step.name);
    step.act();
    settle(function () {
        check(step);
        next();
    });
}
next();
