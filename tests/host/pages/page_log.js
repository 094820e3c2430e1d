// The diagnostic log from a page: the runner created c:/beginLog.txt, so the
// control switches the log on when it is built; "CloseLog" switches it off.
// (No command messages here: in diagnostic mode they open message boxes.)
var LOG = "d:/tessaro.log";
host.writeDriveFile(LOG, "left over from an earlier run\n");

var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var log = host.readDriveFile(LOG);
host.verify(log === null || log.indexOf("left over") < 0, "a new control starts a new log");

host.qtDebug("before CloseLog");
log = host.readDriveFile(LOG) || "";
host.verify(log.indexOf("DebugContent: before CloseLog") >= 0, "messages go to the log: " + log);

panel.sltSetFunctionShownState("CloseLog", "");
host.qtDebug("after CloseLog");
log = host.readDriveFile(LOG) || "";
host.verify(log.indexOf("after CloseLog") < 0, "nothing is logged after CloseLog");
host.verify(log.indexOf("before CloseLog") >= 0, "the log keeps what it had");

// Without the marker, the next control logs nothing and still clears the file.
host.removeDriveFile("c:/beginLog.txt");
var next = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
host.qtDebug("no marker");
host.compare(host.readDriveFile(LOG), null, "the log file was deleted and not written again");
host.verify(next.alive && !panel.alive, "the new control replaced the old one");
host.done();
