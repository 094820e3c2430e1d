// Demo page of the directing panel: plays the platform. It opens the demo
// classroom (platform.js: cameras, function states, free storage, live
// address, layouts, clips, volume), plays the test cameras when the host was
// given a stream server (host.args.rtsp, set by run-demo.sh), and answers the
// panel's commands. demo/browser/panel.js does the same from a browser.
//
// Page arguments (vel-host --arg KEY=VALUE):
//   rtsp=rtsp://127.0.0.1:PORT   base address of the test stream server
//   fail=start,initLiveRoom      events / kinds the platform answers with "error"
//   delay=MS                     time the platform takes to answer (default 300)
//   upload=http://127.0.0.1:PORT/upload   the upload service (run-demo.sh starts one)
host.include("platform.js");

var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";

var platform = new VelDemoPlatform({
    fail: host.args.fail ? String(host.args.fail).split(",") : [],
    cameras: VEL_DEMO_CAMERAS,
    volume: 60
});
var options = {
    delay: host.args.delay,
    upload: host.args.upload ? String(host.args.upload) : "",
    rtsp: host.args.rtsp ? String(host.args.rtsp) : "",
    log: function (kind, text) {
        console.log(kind === "host" ? "demo: " + text : kind + " -> " + text);
    }
};

var panel = document.createControl(CORVANE);
console.log("demo: " + panel.className + " " + panel.version);

velDemoAnswerPanel(panel, platform, options);
panel.sigServiceChanged.connect(function (path) { console.log("demo: upload service " + path); });
panel.sigStartTimeChanged.connect(function (time) { console.log("demo: start time " + time); });
velDemoOpenClassroom(panel, platform, options);
