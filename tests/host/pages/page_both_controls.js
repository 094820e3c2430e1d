// A page that holds both controls: the two libraries live in one host process.
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var tour = null;
try {
    tour = document.createControl("{BF760905-BE9E-43CA-A5C6-2CB1822B6889}", { width: 640, height: 360 });
} catch (e) {
    host.fail("the tour control: " + e);
}
if (tour) {
    host.compare(tour.className, "Pellith", "tour class");
    host.compare(tour.version, "1.0.0.76", "tour library version");
    host.compare(typeof tour.OnPtzControl.connect, "function", "OnPtzControl is an event");
    ["sltFlush", "stop", "play", "setRunMode", "snapshot", "record", "stopRecord",
     "setChannelName", "setStreamingUrls", "setPtzEnable", "setButtonEnable"].forEach(function (name) {
        host.compare(typeof tour[name], "function", name + " is a method");
    });
    tour.setRunMode(2);
    tour.setButtonEnable("unknown", true);
    tour.setButtonEnable("audio", false);
    tour.setPtzEnable(false);
    tour.setChannelName("一年级四班");
    tour.setStreamingUrls("rtsp://127.0.0.1:1/main", "rtsp://127.0.0.1:1/sub");
    // Nothing listens there: the view shows no signal, the page goes on.
    tour.play("rtsp://127.0.0.1:1/sub");
    tour.play("http://127.0.0.1/ignored");
    tour.stopRecord();
    tour.sltFlush();
    tour.stop();
    host.expectThrow(function () { tour.setRunMode(); }, /argument|TypeError|count/i,
                     "a slot called with too few arguments throws");

    // Each control keeps working beside the other.
    var texts = [];
    panel.textChanged.connect(function (value) { texts.push(value); });
    panel.text = "both";
    panel.text = "both";
    host.compare(texts, ["both", "both"], "the panel still notifies");
    host.verify(panel.alive && tour.alive, "both alive");
    host.done();
}
