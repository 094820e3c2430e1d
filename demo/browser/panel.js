// The browser side of the directing panel demo: connects to vel-host --serve
// with the token from the address's fragment, creates Corvane, declares the
// classroom's cameras, answers the panel's commands as the platform
// (platform.js) and lists every command in the page.
//
// Address: http://127.0.0.1:PORT/#token=TOKEN[&rtsp=rtsp://127.0.0.1:PORT][&delay=MS]
(function () {
    "use strict";

    var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";
    var MOVIE = "电影模式";
    var cameras = [
        { name: "教师全景", token: "cam-teacher-wide", ptz: "1", mount: "/cam720" },
        { name: "教师特写", token: "cam-teacher-close", ptz: "1", mount: "/cam720main" },
        { name: "学生全景", token: "cam-student-wide", ptz: "1", mount: "/cam720-noaudio" },
        { name: "学生特写", token: "cam-student-close", ptz: "0", mount: "/cam720main-noaudio" },
        { name: "板书", token: "cam-blackboard", ptz: "0", mount: "/cam720" },
        { name: "电脑画面", token: "cam-computer", ptz: "0", mount: "/cam720main" }
    ];

    // What the tests read: the state, the log and the objects.
    var demo = window.velDemo = { state: "connecting", reason: "", log: [], panel: null, host: null };

    function fragment() {
        var args = {};
        location.hash.replace(/^#/, "").split("&").forEach(function (pair) {
            var at = pair.indexOf("=");
            if (at > 0)
                args[decodeURIComponent(pair.slice(0, at))] = decodeURIComponent(pair.slice(at + 1));
        });
        return args;
    }

    function log(kind, text) {
        demo.log.push({ kind: kind, text: text });
        var item = document.createElement("li");
        item.className = kind;
        var prefix = { panel: "panel → ", platform: "platform → ", event: "event: ", host: "host: " };
        item.textContent = prefix[kind] + text;
        document.getElementById("log").appendChild(item);
    }

    function setState(state, text) {
        demo.state = state;
        var status = document.getElementById("status");
        status.className = state;
        status.textContent = text;
    }

    function start(panel, args) {
        var platform = new VelDemoPlatform({ fail: args.fail ? args.fail.split(",") : [] });
        var delay = Number(args.delay) || 300;
        panel.textChanged.connect(function (message) {
            log("panel", message);
            platform.answer(message).forEach(function (reply) {
                setTimeout(function () {
                    log("platform", reply);
                    panel.sltReceiveCommand(reply);
                }, delay);
            });
        });
        panel.sigServiceChanged.connect(function (path) { log("event", "upload service " + path); });
        panel.sigStartTimeChanged.connect(function (time) { log("event", "start time " + time); });

        cameras.forEach(function (camera) {
            panel.sltSetOverviewWidget(camera.name, camera.token, camera.ptz);
        });
        panel.sltSetFunctionShownState("deviceType", "1");
        panel.sltSetFunctionShownState("nasState", "true");
        panel.sltSetFunctionShownState("PopBar", "enable");
        panel.sltSetFunctionShownState("uploadPath", "http://127.0.0.1:8080/upload");
        panel.sltSetFunctionShownState("AvaliableMemory", "128.5G");
        panel.sltSetLiveAddress("rtmp://127.0.0.1/live/classroom101");
        panel.sltReceiveCommand('{"requestParam":"directMode","target":"directModeAuto"}');
        if (args.rtsp) {
            panel.sltSetOverviewSource(args.rtsp + "/cam1080main", MOVIE, "movie");
            cameras.forEach(function (camera) {
                panel.sltSetOverviewSource(args.rtsp + camera.mount, camera.name, camera.token);
            });
            log("host", "streams from " + args.rtsp);
        }
    }

    window.addEventListener("load", function () {
        var args = fragment();
        var socket = new WebSocket("ws://" + location.host + "/");
        socket.onclose = function (event) {
            demo.code = event.code;
            demo.reason = event.reason;
            setState("refused", "closed by the host (" + event.code + (event.reason ? ": " + event.reason : "") + ")");
        };
        socket.onopen = function () {
            socket.send(JSON.stringify({ token: args.token || "" }));
            new QWebChannel(socket, function (channel) {
                var host = demo.host = channel.objects.host;
                host.sigError.connect(function (message) { log("host", "error: " + message); });
                host.sigControlReplaced.connect(function (classId) {
                    log("host", "the control " + classId + " was replaced by another page");
                    setState("replaced", "the panel was replaced by another page");
                });
                host.createControl(CORVANE, function (panel) {
                    if (!panel) {
                        setState("refused", "no panel");
                        return;
                    }
                    demo.panel = panel;
                    setState("open", "connected: Corvane");
                    start(panel, args);
                });
            });
        };
        document.getElementById("send").addEventListener("submit", function (event) {
            event.preventDefault();
            var text = document.getElementById("message").value;
            if (demo.panel && text) {
                log("platform", text);
                demo.panel.sltReceiveCommand(text);
            }
        });
    });
})();
