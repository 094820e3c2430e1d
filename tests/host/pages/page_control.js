// A control created by class id, as an object element creates it: slots as
// methods, signals as events, text as a property with its change event, and
// the first control deleted by a second one.
var CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";

var panel = document.createControl(CORVANE);
host.compare(panel.className, "Corvane", "class name");
host.compare(panel.version, "1.0.0.76", "library version");
host.compare(panel.classId, CORVANE, "class id");
host.verify(panel.alive, "alive after creation");
host.compare(panel.text, "", "text starts empty");

// All thirteen slots are methods; both signals are events.
["sltFlush", "sltStateChanged", "sltSendCommand", "sltReceiveCommand", "sltSetOverviewWidget",
 "sltSetOverviewSource", "sltChangeOutputWidgetHeight", "sltSetFunctionShownState",
 "sltSetLiveAddress", "sltSetDeviceType", "sltSetNasState", "sltSetUploadService",
 "sltStartTime"].forEach(function (name) {
    host.compare(typeof panel[name], "function", name + " is a method");
});
host.compare(typeof panel.sigServiceChanged.connect, "function", "sigServiceChanged is an event");
host.compare(typeof panel.sigStartTimeChanged.connect, "function", "sigStartTimeChanged is an event");

// Property writes: every store is an event, identical ones included.
var texts = [];
var changes = [];
panel.textChanged.connect(function (value) { texts.push(value); });
panel.on("propertychange", function (name, value) { changes.push(name + "=" + value); });
panel.text = "hello";
panel.text = "hello";
panel.text = 42; // converted as the bridge converts, to the property's type
host.compare(texts, ["hello", "hello", "42"], "textChanged for every store");
host.compare(changes, ["text=hello", "text=hello", "text=42"], "propertychange for every store");
host.compare(panel.text, "42", "text reads back");

// Signals reach the page with their arguments, in order.
var services = [];
var times = [];
function onService(path) { services.push(path); }
panel.sigServiceChanged.connect(onService);
panel.sigStartTimeChanged.connect(function (time) { times.push(time); });
panel.sltSetUploadService("http://127.0.0.1/upload");
panel.sltStartTime("125");
panel.sltSetFunctionShownState("uploadPath", "http://127.0.0.1/other");
host.compare(services, ["http://127.0.0.1/upload", "http://127.0.0.1/other"], "sigServiceChanged");
host.compare(times, ["125"], "sigStartTimeChanged");
panel.sigServiceChanged.disconnect(onService);
panel.sltSetUploadService("ignored");
host.compare(services.length, 2, "a disconnected listener hears nothing");

// What a page cannot do is an error, not a silent no-op.
host.expectThrow(function () { panel.sltSendCommand({ requestParam: "x" }); },
                 /TypeError.*sltSendCommand.*QMap<QString,QString>.*not supported/,
                 "sltSendCommand takes a map a page cannot pass");
host.expectThrow(function () { panel.sltFlush(1); }, /TypeError.*takes 2 arguments, 1 given/,
                 "wrong argument count");
host.expectThrow(function () { panel.sltFlush("wide", 2); }, /TypeError.*argument 1.*int/,
                 "argument that does not convert");
host.expectThrow(function () { panel.sltReceiveCommand(); }, /TypeError/, "missing argument");
host.expectThrow(function () { panel.on("sigNothing", function () {}); }, /no event sigNothing/,
                 "unknown event");
panel.sltFlush(1920, 1080);
panel.sltSetDeviceType("0");
panel.sltChangeOutputWidgetHeight(-40);

// Class ids as pages write them.
host.expectThrow(function () { document.createControl("{00000000-0000-0000-0000-000000000001}"); },
                 /not registered/, "unknown class id");
host.expectThrow(function () { document.createControl("Corvane"); }, /"Corvane" is not a class id/,
                 "a class name is no class id");

// A second Corvane deletes the first: the page's first handle says so.
var second = document.createControl(CORVANE.toLowerCase().replace(/[{}]/g, ""));
host.verify(!panel.alive, "the first control is gone");
host.verify(second.alive, "the second control lives");
host.expectThrow(function () { panel.sltFlush(0, 0); }, /has been deleted/, "call on a deleted control");
host.expectThrow(function () { return panel.text; }, /has been deleted/, "read on a deleted control");
host.compare(second.text, "", "the new control starts empty");
var secondTexts = [];
second.textChanged.connect(function (value) { secondTexts.push(value); });
second.text = "new";
host.compare(secondTexts, ["new"], "the second control notifies");
host.compare(texts.length, 3, "the deleted control's listeners hear nothing more");

// Sized like an object element with width and height.
var sized = document.createControl(CORVANE, { width: 640, height: 360 });
host.verify(!second.alive, "the sized control replaced the second");
sized.sltFlush(640, 360);

// A listener that replaces the control while the control is still storing
// (the sanitizer pass would catch a use of the deleted control).
var replacement = null;
sized.on("propertychange", function () {
    replacement = document.createControl(CORVANE);
});
var lateValues = [];
sized.textChanged.connect(function (value) { lateValues.push(value); });
sized.text = "replace me";
host.verify(!sized.alive && replacement && replacement.alive, "replaced inside its own event");
host.compare(lateValues, ["replace me"], "the store's other event still arrives");

host.done();
