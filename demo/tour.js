// Demo page of the classroom tour control: plays one classroom of the test
// stream server in Pellith, the sub stream in the window and the main stream
// full screen (double click), with the control bar of run mode 2. PTZ presses
// are printed as the page receives them.
//
// Page arguments (vel-host --arg KEY=VALUE):
//   rtsp=rtsp://127.0.0.1:PORT   base address of the test stream server
//   mode=N                       run mode (default 2: bar and full-screen switch)
//   record=MS                    records for MS milliseconds into the file the
//                                save dialog asks for (VEL_SAVE_DIALOG_ANSWER=FILE
//                                answers it unattended); the record button does
//                                the same by hand
var PELLITH = "{BF760905-BE9E-43CA-A5C6-2CB1822B6889}";

var tour = document.createControl(PELLITH);
console.log("demo: " + tour.className + " " + tour.version);

tour.OnPtzControl.connect(function (text) {
    var event = JSON.parse(text);
    console.log("ptz " + event.event + " " + event.target + " (" + event.token + ")");
});

tour.setRunMode(host.args.mode !== undefined ? Number(host.args.mode) : 2);
tour.setChannelName("一年级四班");
tour.setPtzEnable(true);

if (host.args.rtsp) {
    var base = String(host.args.rtsp).replace(/\/$/, "");
    var main = base + "/cam1080";
    var sub = base + "/cam720";
    tour.setStreamingUrls(main, sub);
    tour.play(sub);
    console.log("demo: playing " + sub + " (main stream " + main + ")");
    if (host.args.record) {
        setTimeout(function () { tour.record(); }, 1500);
        setTimeout(function () {
            tour.stopRecord();
            console.log("demo: recording stopped");
        }, 1500 + Number(host.args.record));
    }
} else {
    console.log("demo: no stream server given (--arg rtsp=...); the view shows no signal");
}
