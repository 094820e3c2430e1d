#!/usr/bin/python3
"""The guide's browser examples in a real browser against vel-host --serve.

Each plain ```js block of a page (those that open no connection of their own)
runs in Debian's headless chromium with `panel` or `tour` bound to the
control's proxy, as the guide says. An example fails when it throws (a method
the proxy does not have), or when the host closes the connection (a message
the bridge refuses). The host and browser helpers are the serve tests' own.

Usage: test_doc_browser.py VEL_HOST TESSARO_LIB VIMBREL_LIB DOC.md...
Exit 0 when every example passes, 1 otherwise, 77 when there is no browser.
"""
import os
import re
import shutil
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "serve", "browser"))
import test_browser as serve  # noqa: E402

CONTROLS = {"panel": "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}",
            "tour": "{BF760905-BE9E-43CA-A5C6-2CB1822B6889}"}

# Connects with the token, creates the control and runs the examples in order;
# reports each example's error and the close of the connection, if any.
RUNNER = """
var examples = arguments[0], name = arguments[1], classId = arguments[2], token = arguments[3];
var done = arguments[arguments.length - 1];
var result = { created: false, errors: [], closed: null };
var socket = new WebSocket("ws://" + location.host + "/");
socket.onclose = function (event) { result.closed = event.code + " " + event.reason; };
socket.onopen = function () {
    socket.send(JSON.stringify({ token: token }));
    new QWebChannel(socket, function (channel) {
        channel.objects.host.createControl(classId, function (control) {
            if (!control)
                return done(result);
            result.created = true;
            window[name] = control;
            examples.forEach(function (code, i) {
                try {
                    (new Function(name, code))(control);
                } catch (e) {
                    result.errors.push("example " + (i + 1) + ": " + String(e));
                }
            });
            // The channel's answers and a refusal's close need a moment.
            setTimeout(function () { done(result); }, 1500);
        });
    });
};
"""


def browser_examples(path):
    """The plain ```js blocks of a page that use a control and open no connection."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    blocks = re.findall(r"^```js\n(.*?)^```$", text, re.S | re.M)
    found = {}
    for block in blocks:
        if "new WebSocket" in block or "host.createControl" in block:
            continue
        for name in CONTROLS:
            if re.search(r"\b%s\." % name, block):
                found.setdefault(name, []).append(block)
    return found


def run_examples(driver, host, doc):
    examples = browser_examples(doc)
    assert examples, "no browser examples in " + doc
    for name, blocks in examples.items():
        driver.get("about:blank")
        driver.get(host.url)
        serve.wait_for(driver, "return typeof QWebChannel === 'function'")
        result = driver.execute_async_script(RUNNER, blocks, name, CONTROLS[name], host.token)
        assert result["created"], "%s: the control was not created: %r" % (doc, result)
        assert not result["errors"], "%s: %s" % (doc, "; ".join(result["errors"]))
        assert result["closed"] is None, "%s: the host closed the connection (%s)" % (
            doc, result["closed"])
        print("PASS   : %s, %d %s example(s)" % (os.path.basename(doc), len(blocks), name))


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    host_path, tessaro, vimbrel = sys.argv[1:4]
    docs = sys.argv[4:]
    if serve.webdriver is None:
        serve.skip("python3-selenium is not installed")
    for program in (serve.CHROMIUM, serve.CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            serve.skip(program + " is not installed")
    work = tempfile.mkdtemp(prefix="vel-doc-browser.")
    # The snapshot and record examples ask for a file: answered without a dialog.
    os.environ["VEL_SAVE_DIALOG_ANSWER"] = os.path.join(work, "saved")
    host = driver = None
    failures = 0
    try:
        host = serve.Host(host_path, [tessaro, vimbrel], work)
        driver = serve.browser(work)
        for doc in docs:
            try:
                run_examples(driver, host, doc)
            except Exception:
                failures += 1
                print("FAIL!  : " + doc)
                traceback.print_exc()
            if not host.alive():
                failures += 1
                print("FAIL!  : the host died")
                break
    finally:
        if driver:
            driver.quit()
        if host:
            host.stop()
            if failures:
                print("---- vel-host output ----\n" + host.output())
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
