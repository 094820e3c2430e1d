// Demo page of the directing panel: plays the platform. It declares the
// classroom's cameras, sets the function states, the free storage and the live
// address, plays the test cameras when the host was given a stream server
// (host.args.rtsp, set by run-demo.sh), and answers the panel's commands.
//
// Page arguments (vel-host --arg KEY=VALUE):
//   rtsp=rtsp://127.0.0.1:PORT   base address of the test stream server
//   fail=start,initLiveRoom      events / kinds the platform answers with "error"
//   delay=MS                     time the platform takes to answer (default 300)
//   upload=http://127.0.0.1:PORT/upload   the upload service (run-demo.sh starts one)
host.include("platform.js");

var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
var MOVIE = "电影模式";

var cameras = [
    { name: "教师全景", token: "cam-teacher-wide", ptz: "1", mount: "/cam720" },
    { name: "教师特写", token: "cam-teacher-close", ptz: "1", mount: "/cam720main" },
    { name: "学生全景", token: "cam-student-wide", ptz: "1", mount: "/cam720-noaudio" },
    { name: "学生特写", token: "cam-student-close", ptz: "0", mount: "/cam720main-noaudio" },
    { name: "板书", token: "cam-blackboard", ptz: "0", mount: "/cam720" },
    { name: "电脑画面", token: "cam-computer", ptz: "0", mount: "/cam720main" },
    { name: "讲台", token: "cam-podium", ptz: "1", mount: "/cam720-a44100s" },
    { name: "教室后方", token: "cam-rear", ptz: "0", mount: "/cam720main-noaudio" }
];

var platform = new VelDemoPlatform({
    fail: host.args.fail ? String(host.args.fail).split(",") : [],
    cameras: cameras,
    volume: 60
});
var delay = Number(host.args.delay) || 300;

var panel = document.createControl(CORVANE);
console.log("demo: " + panel.className + " " + panel.version);

panel.textChanged.connect(function (message) {
    console.log("panel -> " + message);
    platform.answer(message).forEach(function (reply) {
        setTimeout(function () {
            if (platform.stale(reply))
                return; // a newer volume is on its way
            console.log("platform -> " + reply);
            panel.sltReceiveCommand(reply);
        }, delay);
    });
});
panel.sigServiceChanged.connect(function (path) { console.log("demo: upload service " + path); });
panel.sigStartTimeChanged.connect(function (time) { console.log("demo: start time " + time); });

cameras.forEach(function (camera) {
    panel.sltSetOverviewWidget(camera.name, camera.token, camera.ptz);
});

// What the platform knows about the classroom.
panel.sltSetFunctionShownState("deviceType", "1");
panel.sltSetFunctionShownState("nasState", "true");
panel.sltSetFunctionShownState("PopBar", "enable");
panel.sltSetFunctionShownState("uploadPath",
                                host.args.upload ? String(host.args.upload)
                                                 : "http://127.0.0.1:8080/upload");
panel.sltSetFunctionShownState("AvaliableMemory", "可用空间 : 128.5G");
panel.sltSetLiveAddress("rtmp://127.0.0.1/live/classroom101");
panel.sltReceiveCommand('{"requestParam":"directMode","target":"directModeAuto"}');
// The classroom's screen layouts, the first one selected.
panel.sltReceiveCommand(platform.layoutsAnswer());
// The clip settings the platform kept from earlier sessions.
panel.sltReceiveCommand(platform.clipMessage("prelude"));
panel.sltReceiveCommand(platform.clipMessage("curtain"));

// The platform tells the panel its volume; the slider follows.
setTimeout(function () { panel.sltReceiveCommand(platform.volumeMessage()); }, delay);

// The program output and the cameras, once there is a stream server.
if (host.args.rtsp) {
    var base = String(host.args.rtsp);
    panel.sltSetOverviewSource(base + "/cam1080main", MOVIE, "movie");
    cameras.forEach(function (camera) {
        panel.sltSetOverviewSource(base + camera.mount, camera.name, camera.token);
    });
    console.log("demo: streams from " + base);
}
