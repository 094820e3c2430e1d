// Strings past what Qt can allocate. In a host call (console.log converts to
// UTF-8, three bytes a character at most) the failure is a RangeError the page
// catches and goes on; inside the script engine it ends the page with an
// error (exit code 1) instead of aborting the host.
var big = "x".repeat(800 * 1000 * 1000);
host.expectThrow(function () { console.log(big); }, /RangeError: out of memory/,
                 "a host call that cannot allocate");
big = null;
host.compare(host.readDriveFile("c:/none.txt"), null, "the host goes on");
if (host.args.engine) {
    var s = "x".repeat(1 << 30);
    host.fail("a string of " + s.length + " characters");
}
host.done();
