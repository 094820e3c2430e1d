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
    // The task clock: seconds run while recording, stand still while paused.
    var elapsedMs = 0;
    var runningSince = null;
    var volume = options.volume === undefined ? null : String(options.volume);

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
            elapsedMs = 0;
            runningSince = null;
            return format({ requestParam: "workingMode", event: "stop", target: task, token: "" });
        }
        return null; // save needs no answer
    }

    function volumeAnswer(value) {
        return format({ requestParam: "workingMode", event: "volume", target: value, token: "" });
    }

    this.parse = parse;
    this.format = format;
    this.seconds = seconds;
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
        if (kind === "workingMode" && event === "volume") {
            volume = String(command.target);
            reply = volumeAnswer(volume);
        } else if (kind === "workingMode") {
            reply = workingMode(event, target);
        } else if (kind === "initLiveRoom") {
            // The room list goes as a JSON array, which the panel rewrites
            // itself; a key must follow it.
            reply = failing(kind, event)
                    ? format({ requestParam: "initLiveRoom", event: "error", target: "", token: "" })
                    : format({ requestParam: "initLiveRoom", event: "", target: rooms, token: "" });
        }
        return reply ? [reply] : [];
    };
}
