// What a hostile page tries is refused with a clear error, and the host and
// the control go on working.
var id = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}";

// Malformed class ids.
[id.slice(0, -1), id.slice(1), id + "junk", id.slice(1, -1) + "0"].forEach(function (bad) {
    host.expectThrow(function () { document.createControl(bad); }, /is not a class id/,
                     "class id " + bad);
});

var c = document.createControl(id);

// Numbers that an int cannot hold.
[1e12, -1e12, 2147483648, NaN, Infinity].forEach(function (n) {
    host.expectThrow(function () { c.sltChangeOutputWidgetHeight(n); },
                     /TypeError.*out of range for int/, "height " + n);
    host.expectThrow(function () { c.sltFlush(10, n); }, /argument 2 .* out of range for int/,
                     "flush " + n);
});
c.sltChangeOutputWidgetHeight(2147483647);   // in range: the control clamps the sum
c.sltChangeOutputWidgetHeight(-2147483648);
c.sltFlush(1280, 960);

// Drive files stay on their drive.
host.expectThrow(function () { host.readDriveFile("c:/../../../etc/passwd"); }, /leaves drive c:/,
                 "read above the drive");
host.expectThrow(function () { host.writeDriveFile("d:\\..\\x.txt", "x"); }, /leaves drive d:/,
                 "write above the drive");
host.expectThrow(function () { host.readDriveFile("/etc/passwd"); }, /not a drive path/,
                 "absolute path");
host.expectThrow(function () { host.removeDriveFile("beginLog.txt"); }, /not a drive path/,
                 "no drive letter");
host.verify(host.writeDriveFile("c:/ok.txt", "fine"), "a file on the drive is written");
host.compare(host.readDriveFile("c://ok.txt"), "fine", "and read back");
host.verify(host.writeDriveFile("c:/ok.txt", "直播间 1 — ünï"), "non-ASCII text is written");
host.compare(host.readDriveFile("c:/ok.txt"), "直播间 1 — ünï", "and reads back the same");
host.verify(host.removeDriveFile("c:\\ok.txt"), "and removed");
host.compare(host.readDriveFile("c:/ok.txt"), null, "a missing file reads as null");
// Issue 26: a NUL ended the name for open() after the check had judged another.
host.expectThrow(function () { host.readDriveFile("c:/ok.txt\u0000x"); }, /NUL character/,
                 "NUL in a drive path");
host.expectThrow(function () { host.writeDriveFile("c:/ok.txt\u0000", "x"); }, /NUL character/,
                 "NUL at the end of a drive path");
host.expectThrow(function () { host.include("page_hostile.js\u0000"); }, /NUL character/,
                 "NUL in an include");

// Includes stay in the page's folder and the demo folder.
host.expectThrow(function () { host.include("../../../../../../etc/hostname"); },
                 /outside the page's folder/, "include above the page");
host.expectThrow(function () { host.include("/etc/hostname"); }, /outside the page's folder/,
                 "include of an absolute path");

host.verify(c.alive, "the control survived");
host.done();
