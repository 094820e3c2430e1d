// The browser side of the directing panel demo: connects to vel-host --serve
// with the token from the address's fragment, creates Corvane, opens the demo
// classroom and answers the panel's commands as the platform, exactly as
// demo/panel.js does in the host (both from platform.js), and lists every
// command in the page.
//
// Address: http://127.0.0.1:PORT/#token=TOKEN[&rtsp=rtsp://127.0.0.1:PORT][&delay=MS]
//          [&fail=start,initLiveRoom][&upload=http://127.0.0.1:PORT/upload]
(function () {
    "use strict";

    var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";

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

    // The classroom as demo/panel.js opens it in the host (platform.js).
    function start(panel, args) {
        var platform = new VelDemoPlatform({ fail: args.fail ? args.fail.split(",") : [],
                                             cameras: VEL_DEMO_CAMERAS, volume: 60 });
        var options = { delay: args.delay, upload: args.upload, rtsp: args.rtsp, log: log };
        velDemoAnswerPanel(panel, platform, options);
        panel.sigServiceChanged.connect(function (path) { log("event", "upload service " + path); });
        panel.sigStartTimeChanged.connect(function (time) { log("event", "start time " + time); });
        velDemoOpenClassroom(panel, platform, options);
    }

    function showClosed(code, reason) {
        demo.code = code;
        demo.reason = reason;
        setState("refused", "closed by the host (" + code + (reason ? ": " + reason : "") + ")");
    }

    // The host gives its reason for refusing in its close frame, but when the
    // channel's first message follows the token at once, the host answers
    // that message instead, or the frame is lost (1006) as the message meets
    // the connection the host has just closed. A second connection that sends
    // the token and nothing else hears the verdict on the token; one the host
    // keeps open had a good token.
    function askWhyRefused(token, done) {
        var probe = new WebSocket("ws://" + location.host + "/");
        var timer = null;
        probe.onopen = function () {
            probe.send(JSON.stringify({ token: token }));
            timer = setTimeout(function () {
                probe.onclose = null;
                probe.close();
                done(1006, "the connection broke; the host accepts the token now");
            }, 8000);
        };
        probe.onclose = function (event) {
            clearTimeout(timer);
            done(event.code, event.reason || "the host cannot be reached");
        };
    }

    window.addEventListener("load", function () {
        var args = fragment();
        var socket = new WebSocket("ws://" + location.host + "/");
        socket.onclose = function (event) {
            if (demo.state === "connecting") {
                askWhyRefused(args.token || "", showClosed);
                return;
            }
            showClosed(event.code, event.reason);
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
