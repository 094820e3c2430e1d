// Messages into sltReceiveCommand (none that opens a modal dialog in the
// finished panel: error answers and live room lists do) and the text notifications out of the
// control, one event per store in order, two identical stores in a row included.
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var seen = [];
panel.textChanged.connect(function (value) { seen.push(value); });

var messages = [
    '{"requestParam":"functionState","target":{"index":"AvaliableMemory","state":"12.5G"}}',
    '{"requestParam":"functionState","target":{"index":"uploadPath","state":"http://h/u"}}',
    '{"requestParam":"setOverviewWidget","target":{"name":"教师 全景","tokenId":"t1","ptzAvaliable":"1"}}',
    '{"requestParam":"setOverviewSource","target":{"name":"rtsp://127.0.0.1:1/none","tokenId":"教师全景","source":"t1"}}',
    '{"requestParam":"workingMode","event":"start","target":{"startTime":"0"}}',
    '{"requestParam":"directMode","target":"directModeManual"}',
    'no braces at all',
    '{"requestParam":',
    ''
];
var services = [];
panel.sigServiceChanged.connect(function (path) { services.push(path); });
messages.forEach(function (message) { panel.sltReceiveCommand(message); });
host.compare(seen, [], "incoming messages store no text");
host.compare(services, ["http://h/u"], "a functionState message reaches the control's slots");

// The page stores what the platform tells it: two identical messages in a
// row are two events, each with its value.
var start = '{"event":"start","requestParam":"workingMode","target":{"recordingMode":"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}';
panel.text = start;
panel.sltReceiveCommand('{"requestParam":"workingMode","event":"start","target":{"startTime":"0"}}');
panel.text = start;
panel.text = "";
panel.text = start;
host.compare(seen, [start, start, "", start], "every store, in order");

// A listener that answers at once (a page that replies inside the event).
var answered = 0;
panel.textChanged.connect(function (value) {
    if (value === "ping") {
        answered++;
        panel.sltReceiveCommand('{"requestParam":"workingMode","event":"stop","target":""}');
        panel.text = "pong";
    }
});
panel.text = "ping";
host.compare(answered, 1, "the listener answered once");
host.compare(seen.slice(-2), ["ping", "pong"], "a store inside a listener is delivered too");
host.compare(panel.text, "pong", "the last store wins");

host.done();
