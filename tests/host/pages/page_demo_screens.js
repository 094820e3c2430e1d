// The demo platform's camera and screen layout answers, read as the panel
// reads them.
host.include(host.env("VEL_DEMO_DIR") + "/platform.js");

var cameras = [
    { name: "教师全景", token: "cam-t" }, { name: "学生全景", token: "cam-s" },
    { name: "板书", token: "cam-b" }, { name: "电脑画面", token: "cam-c" },
    { name: "教师特写", token: "cam-tc" }, { name: "学生特写", token: "cam-sc" }
];
var platform = new VelDemoPlatform({ cameras: cameras });
function only(answers, what) {
    host.compare(answers.length, 1, what + ": one answer");
    return platform.parse(answers[0]) || {};
}
function cellsOf(layoutId) {
    return platform.layouts().filter(function (l) { return l.layoutId === layoutId; })[0]
        .tokens.map(function (cell) { return cell.tokenNames + "/" + cell.tokenId; });
}

// Switching names the camera of the token: the panel finds its thumbnail by name.
var single = only(platform.answer('{"event":"change","requestParam":"singleScreen","target":"","token":"cam-s"}'), "singleScreen");
host.compare([single.requestParam, single.event, single.target, single.token],
             ["singleScreen", "change", "学生全景", "cam-s"], "switch answer");
var refused = only(platform.answer('{"event":"change","requestParam":"singleScreen","target":"","token":"nope"}'), "unknown");
host.compare([refused.event, refused.target], ["error", "学生全景"],
             "an unknown camera is refused, the program camera named");

// The layouts: an array with a key after it, the selected layout in "event".
var list = platform.layoutsAnswer();
host.verify(list.indexOf('"target":[{"layoutId":"VelRECLayout1"') >= 0, list);
host.verify(list.indexOf('}],"token":""}') >= 0, "a key follows the array: " + list);
host.compare(platform.parse(list).event, "VelRECLayout1", "first layout selected");
host.compare(platform.parse(list).target.map(function (l) { return l.layoutId; }),
             ["VelRECLayout1", "VelRECLayout2", "VelRECLayout3", "VelRECLayout5"], "layout ids");

var multi = only(platform.answer('{"event":"","requestParam":"mutilScreen","target":"VelRECLayout2","token":""}'), "mutilScreen");
host.compare(multi.target, "VelRECLayout2", "mutilScreen echoed");
host.compare(platform.parse(platform.layoutsAnswer()).event, "VelRECLayout2", "selection kept");

// Cell changes as the panel sends them: select, then replace (a swap).
var select = only(platform.answer('{"event":"","requestParam":"settingMutilScreen","target":{"from":"cam-t","layoutId":"VelRECLayout2","operate":"select","to":"cam-c"},"token":""}'), "select");
host.compare(select.requestParam, "settingMutilScreen", "select answered with the layouts");
host.compare(cellsOf("VelRECLayout2"), ["电脑画面/cam-c", "板书/cam-b"], "select puts the camera in");
only(platform.answer('{"event":"","requestParam":"settingMutilScreen","target":{"from":"cam-c","layoutId":"VelRECLayout2","operate":"replace","to":"cam-b"},"token":""}'), "replace");
host.compare(cellsOf("VelRECLayout2"), ["板书/cam-b", "电脑画面/cam-c"], "replace swaps");
host.compare(platform.answer('{"event":"","requestParam":"settingMutilScreen","target":{"from":"cam-x","layoutId":"VelRECLayout2","operate":"select","to":"cam-b"},"token":""}'),
             [], "a cell the layout does not have changes nothing");

var ptz = only(platform.answer('{"event":"press","requestParam":"cloudControl","target":"Cloud_Up","token":"cam-t"}'), "cloudControl");
host.compare([ptz.event, ptz.target, ptz.token], ["press", "Cloud_Up", "cam-t"], "PTZ confirmed");
host.done();
