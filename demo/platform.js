// The platform's side of the directing panel, as the demo page plays it: reads
// each message the panel publishes in its text property and gives the answers
// the platform would send back. Included by panel.js and by the tests.
//
//   var platform = new VelDemoPlatform({ fail: ["start"], now: Date.now });
//   platform.answer(message)  ->  array of answer message strings
//
// fail lists the events (or kinds) answered with "error" instead, e.g.
// "start", "pause", "initLiveRoom".
//
// Volume: the platform keeps the last volume it was given and answers with
// it. An answer delivered late may be older than the panel's slider; the
// page drops such answers (platform.stale(reply)), or slider and platform
// would keep setting each other back.
function VelDemoPlatform(options) {
    options = options || {};
    var fail = options.fail || [];
    var now = options.now || Date.now;
    var hostId = "demo-host";
    var rooms = options.rooms || [
        { id: "room101", name: "一号直播间" },
        { id: "room102", name: "二号直播间" },
        { id: "room103", name: "公开课直播间" }
    ];
    // The classroom's cameras ({name, token}) and its screen layouts: each
    // cell names a camera; positions count in 64ths of a preview pixel.
    var cameras = options.cameras || [];
    var layouts = options.layouts || defaultLayouts(cameras);
    var selectedLayout = layouts.length ? layouts[0].layoutId : "";
    var program = cameras.length ? cameras[0] : null; // the first thumbnail starts current

    function cellOf(camera, left, top, width, height) {
        return { tokenNames: camera ? camera.name : "", tokenId: camera ? camera.token : "",
                 height: String(height * 64), width: String(width * 64),
                 top: String(top * 64), left: String(left * 64) };
    }

    function defaultLayouts(list) {
        var c = function (i) { return list[i % Math.max(list.length, 1)]; };
        return [
            { layoutId: "VelRECLayout1", tokens: [cellOf(c(0), 0, 28, 128, 72)] },
            { layoutId: "VelRECLayout2", tokens: [cellOf(c(0), 0, 46, 64, 36),
                                                  cellOf(c(2), 64, 46, 64, 36)] },
            { layoutId: "VelRECLayout3", tokens: [cellOf(c(4), 0, 28, 128, 72),
                                                  cellOf(c(1), 64, 62, 60, 34)] },
            { layoutId: "VelRECLayout5", tokens: [cellOf(c(0), 0, 28, 64, 36),
                                                  cellOf(c(2), 64, 28, 64, 36),
                                                  cellOf(c(4), 0, 64, 64, 36),
                                                  cellOf(c(5), 64, 64, 64, 36)] }
        ];
    }

    function cameraByToken(token) {
        for (var i = 0; i < cameras.length; ++i) {
            if (cameras[i].token === token)
                return cameras[i];
        }
        return null;
    }

    // The layout list goes as a JSON array, which the panel rewrites itself;
    // a key must follow it.
    function layoutsAnswer() {
        return format({ requestParam: "settingMutilScreen", event: selectedLayout,
                        target: layouts, token: "" });
    }

    // A cell change: "select" puts the camera into the cell, "replace" swaps it
    // with the cell of the same layout that showed it.
    function changeCell(change) {
        var layout = layouts.filter(function (l) { return l.layoutId === change.layoutId; })[0];
        var to = cameraByToken(change.to);
        if (!layout || !to)
            return false;
        var from = null, other = null;
        layout.tokens.forEach(function (cell) {
            if (cell.tokenId === change.from && !from)
                from = cell;
            else if (cell.tokenId === change.to && !other)
                other = cell;
        });
        if (!from)
            return false;
        if (other) {
            other.tokenId = from.tokenId;
            other.tokenNames = from.tokenNames;
        }
        from.tokenId = to.token;
        from.tokenNames = to.name;
        return true;
    }

    // The title and tail clip settings the platform keeps ("prelude" /
    // "curtain"), answered back as stored so the panel shows what was kept.
    var clips = options.clips || {
        prelude: { preludeName: "prelude", picture: "", fontSize: "20", fontColor: "#ffffff",
                   title: "分数的认识", course: "数学", grade: "三年级", subject: "数学",
                   teacher: "王老师", school: "实验小学", recordStatus: "stop",
                   backMusic: "", duration: "5", avaliable: "1",
                   pictureFlag: "0", backMusicFlag: "0" },
        curtain: { curtainName: "curtain", picture: "", fontSize: "14", fontColor: "#ffffff",
                   production: "电教中心", copyright: "实验小学", date: "2026-12-08",
                   backMusic: "", duration: "3", avaliable: "1",
                   pictureFlag: "0", backMusicFlag: "0" }
    };
    // The task clock: seconds run while recording, stand still while paused.
    var elapsedMs = 0;
    var runningSince = null;
    var volume = options.volume === undefined ? null : String(options.volume);
    // "idle", "running" or "paused": the platform refuses a step out of turn.
    var taskState = "idle";
    // Everything the platform got from the panel, in order, so pages can
    // check the panel against what the platform expected.
    var received = [];
    var session = new VelDemoSession(options, format, cameras);

    function seconds() {
        var ms = elapsedMs + (runningSince === null ? 0 : now() - runningSince);
        return String(Math.floor(ms / 1000));
    }

    function parse(message) {
        try {
            var value = JSON.parse(message);
            return value && typeof value === "object" ? value : null;
        } catch (e) {
            return null;
        }
    }

    // The control's messages carry nested objects without quotes and nothing
    // is escaped; values must not contain "," or double quotes.
    function format(map) {
        return "{" + Object.keys(map).map(function (key) {
            var value = map[key];
            if (typeof value === "string")
                return "\"" + key + "\":\"" + value + "\"";
            return "\"" + key + "\":" + JSON.stringify(value);
        }).join(",") + "}";
    }

    function failing(kind, event) {
        return fail.indexOf(event) >= 0 || fail.indexOf(kind) >= 0;
    }

    function workingMode(event, target) {
        var task = {
            workingMode: target.workingMode || "workingModeRecording",
            recordingMode: target.recordingMode || "recordingModeMovie"
        };
        if (failing("workingMode", event))
            return format({ requestParam: "workingMode", event: "error",
                            target: "任务操作失败(" + event + ")", token: "" });
        var turn = { start: taskState === "idle", pause: taskState === "running",
                     restart: taskState === "paused" };
        if (turn[event] === false)
            return format({ requestParam: "workingMode", event: "error",
                            target: "任务状态不允许(" + event + ")", token: "" });
        if (event === "start" || event === "restart")
            taskState = "running";
        else if (event === "pause")
            taskState = "paused";
        else if (event === "stop")
            taskState = "idle";
        if (event === "start") {
            elapsedMs = 0;
            runningSince = now();
            task.startTime = seconds();
            return format({ requestParam: "workingMode", event: "start", target: task, token: "" });
        }
        if (event === "pause") {
            if (runningSince !== null) {
                elapsedMs += now() - runningSince;
                runningSince = null;
            }
            task.startTime = seconds();
            return format({ requestParam: "workingMode", event: "pause", hostId: hostId,
                            target: task, token: "" });
        }
        if (event === "restart") {
            if (runningSince === null)
                runningSince = now();
            return format({ requestParam: "workingMode", event: "restart", target: task, token: "" });
        }
        if (event === "stop") {
            session.taskStopped(target, seconds());
            elapsedMs = 0;
            runningSince = null;
            return format({ requestParam: "workingMode", event: "stop", target: task, token: "" });
        }
        return null; // save needs no answer
    }

    function volumeAnswer(value) {
        return format({ requestParam: "workingMode", event: "volume", target: value, token: "" });
    }

    // A sent clip is stored; its uploaded files are names the platform now
    // knows, so the stored copy says they came from the platform.
    function clip(kind, target) {
        if (failing(kind, ""))
            return format({ requestParam: kind, event: "error", target: "片头片尾保存失败", token: "" });
        var stored = {};
        Object.keys(target).forEach(function (key) { stored[key] = String(target[key]); });
        if (stored.picture)
            stored.pictureFlag = "1";
        if (stored.backMusic)
            stored.backMusicFlag = "1";
        clips[kind] = stored;
        return clipMessage(kind);
    }

    function clipMessage(kind) {
        return format({ requestParam: kind, event: "", target: clips[kind], token: "" });
    }

    this.parse = parse;
    // What the platform got, oldest first: {requestParam, event, target, token}.
    this.received = function () { return received.slice(); };
    this.task = function () { return taskState; };
    // The platform's own state of the classroom (strategy, effect, dots, ...).
    this.state = function () {
        var state = session.state();
        state.task = taskState;
        state.layout = selectedLayout;
        state.program = program ? program.token : "";
        return state;
    };
    // The messages the platform sends when the page opens: cameras, their
    // streams under base (when given), function states, strategy, layouts,
    // clips, course information and transition.
    this.setupMessages = function (base) {
        return session.setupMessages(base).concat([layoutsAnswer(), clipMessage("prelude"),
                                                   clipMessage("curtain")]);
    };
    // The stored clip settings as the platform pushes them to the panel.
    this.clipMessage = clipMessage;
    // The free storage as the panel shows it, caption included.
    this.storageText = function () { return session.storageText(); };
    this.format = format;
    this.seconds = seconds;
    this.layoutsAnswer = layoutsAnswer;
    this.layouts = function () { return layouts; };
    this.volume = function () { return volume; };
    // The platform's own volume, as it announces it to the panel.
    this.volumeMessage = function () { return volume === null ? null : volumeAnswer(volume); };

    // A volume answer that no longer holds the platform's volume.
    this.stale = function (reply) {
        var value = parse(reply);
        return !!value && value.requestParam === "workingMode" && value.event === "volume" &&
               String(value.target) !== volume;
    };

    this.answer = function (message) {
        var command = parse(message);
        if (!command)
            return [];
        var kind = command.requestParam;
        var event = command.event || "";
        var target = typeof command.target === "object" && command.target ? command.target : {};
        var reply = null;
        received.push({ requestParam: kind || "", event: event,
                        target: typeof command.target === "string" ? command.target : target,
                        token: command.token || "" });
        if (session.handles(kind)) {
            return session.answer(kind, command, failing(kind, event), seconds(),
                                  taskState === "running");
        } else if (kind === "workingMode" && event === "volume") {
            volume = String(command.target);
            reply = volumeAnswer(volume);
        } else if (kind === "workingMode" && event === "stop" && !failing(kind, event)) {
            return [workingMode(event, target)].concat(session.storageMessages());
        } else if (kind === "workingMode") {
            reply = workingMode(event, target);
        } else if (kind === "prelude" || kind === "curtain") {
            reply = clip(kind, target);
        } else if (kind === "initLiveRoom") {
            // The room list goes as a JSON array, which the panel rewrites
            // itself; a key must follow it.
            reply = failing(kind, event)
                    ? format({ requestParam: "initLiveRoom", event: "error", target: "", token: "" })
                    : format({ requestParam: "initLiveRoom", event: "", target: rooms, token: "" });
        } else if (kind === "singleScreen") {
            // The program switches to the camera; the answer names it.
            // A refused switch names the camera still on the program (an empty
            // target would move the panel's frame to its first thumbnail).
            var camera = cameraByToken(command.token);
            if (failing(kind, event) || !camera) {
                reply = format({ requestParam: "singleScreen", event: "error",
                                 target: program ? program.name : "", token: command.token || "" });
            } else {
                program = camera;
                reply = format({ requestParam: "singleScreen", event: "change", target: camera.name,
                                 token: camera.token });
            }
        } else if (kind === "mutilScreen") {
            selectedLayout = String(command.target || "");
            reply = format({ requestParam: "mutilScreen", event: "", target: selectedLayout,
                             token: "" });
        } else if (kind === "settingMutilScreen") {
            if (changeCell(target))
                reply = layoutsAnswer();
        } else if (kind === "cloudControl") {
            // The camera moves while the button is down; the platform confirms.
            reply = format({ requestParam: "cloudControl", event: event,
                             target: String(command.target || ""), token: command.token || "" });
        }
        return reply ? [reply] : [];
    };
}

// The rest of the classroom as the platform keeps it: directing strategy,
// transition, video dots, captions, course information, live room, storage
// and function states. Used by VelDemoPlatform; answers in the panel's format.
function VelDemoSession(options, format, cameras) {
    var strategy = options.strategy || "directModeAuto";
    var effect = options.effect || "switchingEffectsNone";
    var storageGb = options.storage === undefined ? 128.5 : Number(options.storage);
    var liveAddress = options.liveAddress || "rtmp://127.0.0.1/live/classroom101";
    var course = options.course || {
        title: "分数的认识", course: "数学", grade: "三年级", subject: "数学",
        teacher: "王老师", school: "实验小学", recordStatus: "stop"
    };
    // Function states the platform grants this classroom (index -> state).
    var functions = options.functions || {
        TransitionEffect: "show", Captions: "show", Credits: "show", VideoPoint: "show",
        CourseInfo: "show", ScreenSettingEntirety: "show", BroadcastStrategy: "show",
        AvaliableMemoryState: "show", ScreenSetting: "show", ScreenSpliterSettings: "show"
    };
    var captions = null;
    var dots = [];
    var liveRoom = "";
    var roomClosed = false;
    var kinds = ["directMode", "switchingEffects", "videoDotPrepare", "videoDot", "courseInfo",
                 "subTile", "setLiveRoom"];

    function message(kind, event, target) {
        return format({ requestParam: kind, event: event, target: target, token: "" });
    }
    function functionState(index, state) {
        return message("functionState", "", { index: index, state: state });
    }
    function copy(target) {
        var stored = {};
        Object.keys(target || {}).forEach(function (key) { stored[key] = String(target[key]); });
        return stored;
    }
    function storageText() {
        // The panel shows the text as it stands: the platform words it.
        return "可用空间 : " + storageGb.toFixed(1) + "G";
    }
    this.storageText = storageText;

    this.handles = function (kind) { return kinds.indexOf(kind) >= 0; };

    // Answers to one command; failing asks for the platform's refusal.
    this.answer = function (kind, command, failing, seconds, recording) {
        var target = typeof command.target === "object" && command.target ? command.target : {};
        var text = typeof command.target === "string" ? command.target : "";
        if (kind === "videoDotPrepare") {
            // The panel opens the dot dialog on any answer, an error too: a
            // refused dot (or one outside a recording) goes unanswered.
            return failing || !recording ? [] : [message(kind, "", seconds)];
        }
        if (failing)
            return [message(kind, "error", "操作失败(" + kind + ")")];
        if (kind === "directMode") {
            strategy = text;
            return [message(kind, "", strategy)];
        }
        if (kind === "switchingEffects") {
            effect = text;
            return [message(kind, "", effect)];
        }
        if (kind === "videoDot") {
            dots.push(copy(target));
            return [];
        }
        if (kind === "courseInfo") {
            course = copy(target);
            return [message(kind, "", course)];
        }
        if (kind === "subTile") {
            // The platform shows the caption; its confirmation changes nothing
            // on the panel.
            captions = copy(target);
            return [message("subTitle", "", captions)];
        }
        if (kind === "setLiveRoom") {
            liveRoom = text;
            roomClosed = false;
        }
        return [];
    };

    // A stopped task: the live room is closed when the panel asked, and the
    // recording took its room on the storage.
    this.taskStopped = function (target, seconds) {
        if (target.closeLiveRoom === "1")
            roomClosed = true;
        storageGb = Math.max(0, storageGb - Number(seconds) * 0.002);
    };
    this.storageMessages = function () {
        return [functionState("AvaliableMemory", storageText())];
    };

    this.setupMessages = function (base) {
        var list = cameras.map(function (camera) {
            return message("setOverviewWidget", "", { name: camera.name, tokenId: camera.token,
                                                      ptzAvaliable: camera.ptz || "0" });
        });
        list.push(functionState("deviceType", options.deviceType || "1"));
        list.push(functionState("nasState", "true"));
        list.push(functionState("PopBar", "enable"));
        list.push(functionState("AvaliableMemory", storageText()));
        list.push(functionState("liveAddress", liveAddress));
        Object.keys(functions).forEach(function (index) {
            list.push(functionState(index, functions[index]));
        });
        list.push(message("directMode", "", strategy));
        list.push(message("switchingEffects", "", effect));
        list.push(message("courseInfo", "", course));
        // A stream address goes as "name", the camera's name as "tokenId" and
        // its token as "source": the order the panel's slot takes them in.
        if (base) {
            list.push(message("setOverviewSource", "", { name: base + (options.program || "/cam1080main"),
                                                         tokenId: "电影模式", source: "movie" }));
            cameras.forEach(function (camera) {
                list.push(message("setOverviewSource", "", { name: base + (camera.mount || "/cam720"),
                                                             tokenId: camera.name,
                                                             source: camera.token }));
            });
        }
        return list;
    };

    this.state = function () {
        return { strategy: strategy, effect: effect, storage: storageText(), course: course,
                 captions: captions, dots: dots.slice(), liveRoom: liveRoom,
                 roomClosed: roomClosed };
    };
}

// The demo classroom that both demo pages open: demo/panel.js in the host and
// demo/browser/panel.js in a browser.
var VEL_DEMO_CAMERAS = [
    { name: "教师全景", token: "cam-teacher-wide", ptz: "1", mount: "/cam720" },
    { name: "教师特写", token: "cam-teacher-close", ptz: "1", mount: "/cam720main" },
    { name: "学生全景", token: "cam-student-wide", ptz: "1", mount: "/cam720-noaudio" },
    { name: "学生特写", token: "cam-student-close", ptz: "0", mount: "/cam720main-noaudio" },
    { name: "板书", token: "cam-blackboard", ptz: "0", mount: "/cam720" },
    { name: "电脑画面", token: "cam-computer", ptz: "0", mount: "/cam720main" },
    { name: "讲台", token: "cam-podium", ptz: "1", mount: "/cam720-a44100s" },
    { name: "教室后方", token: "cam-rear", ptz: "0", mount: "/cam720main-noaudio" }
];
var VEL_DEMO_PROGRAM = "电影模式";

// Answers every command the panel publishes, options.delay ms later (default
// 300), and drops a volume answer that a newer command has overtaken (slider
// and platform would keep setting each other back). options.log(kind, text)
// sees each command ("panel") and each answer ("platform").
// The panel is the host's wrapper or a browser's QWebChannel proxy.
function velDemoAnswerPanel(panel, platform, options) {
    var delay = Number(options.delay) || 300;
    var log = options.log || function () {};
    panel.textChanged.connect(function (message) {
        log("panel", message);
        platform.answer(message).forEach(function (reply) {
            setTimeout(function () {
                if (platform.stale(reply))
                    return; // a newer volume is on its way
                log("platform", reply);
                panel.sltReceiveCommand(reply);
            }, delay);
        });
    });
}

// Opens the demo classroom on a panel as the platform does when the page
// loads: the cameras, what the platform knows of the room (function states,
// upload service, storage, live address, strategy, layouts, clip settings,
// volume) and, given a stream server (options.rtsp), the program and camera
// streams. Only calls: a browser's proxy returns nothing synchronously.
//   options: cameras (default VEL_DEMO_CAMERAS), upload, rtsp, delay, log(kind, text)
function velDemoOpenClassroom(panel, platform, options) {
    var cameras = options.cameras || VEL_DEMO_CAMERAS;
    var log = options.log || function () {};
    cameras.forEach(function (camera) {
        panel.sltSetOverviewWidget(camera.name, camera.token, camera.ptz);
    });
    panel.sltSetFunctionShownState("deviceType", "1");
    panel.sltSetFunctionShownState("nasState", "true");
    panel.sltSetFunctionShownState("PopBar", "enable");
    panel.sltSetFunctionShownState("uploadPath", options.upload || "http://127.0.0.1:8080/upload");
    panel.sltSetFunctionShownState("AvaliableMemory", platform.storageText());
    panel.sltSetLiveAddress("rtmp://127.0.0.1/live/classroom101");
    // Then the strategy, the classroom's screen layouts (the first one
    // selected) and the clip settings kept from earlier sessions.
    ['{"requestParam":"directMode","target":"directModeAuto"}', platform.layoutsAnswer(),
     platform.clipMessage("prelude"), platform.clipMessage("curtain")].forEach(function (message) {
        log("platform", message);
        panel.sltReceiveCommand(message);
    });
    // The platform tells the panel its volume; the slider follows.
    var volume = platform.volumeMessage();
    if (volume) {
        setTimeout(function () {
            log("platform", volume);
            panel.sltReceiveCommand(volume);
        }, Number(options.delay) || 300);
    }
    if (options.rtsp) {
        var base = String(options.rtsp);
        panel.sltSetOverviewSource(base + "/cam1080main", VEL_DEMO_PROGRAM, "movie");
        cameras.forEach(function (camera) {
            panel.sltSetOverviewSource(base + camera.mount, camera.name, camera.token);
        });
        log("host", "streams from " + base);
    }
}
