#!/usr/bin/python3
"""Pages in a real browser against vel-host --serve: Debian's chromium,
headless, driven by chromedriver through selenium.

Usage: test_browser.py VEL_HOST TESSARO_LIB VIMBREL_LIB OUT_DIR
Exit 0 when every case passes, 1 otherwise, 77 when there is no browser.
"""
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import traceback

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
CORVANE = "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(77)


def wait_for(driver, script, timeout=15):
    """Polls the page until the script returns something truthy."""
    return WebDriverWait(driver, timeout, poll_frequency=0.1).until(
        lambda d: d.execute_script(script))


class Host:
    """vel-host --serve on a free port, with its own store and drives."""

    def __init__(self, host, libs, work):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen",
                   VEL_AX_STORE=os.path.join(work, "registry.json"),
                   VEL_DRIVE_C=os.path.join(work, "c"), VEL_DRIVE_D=os.path.join(work, "d"))
        os.makedirs(env["VEL_DRIVE_C"])
        os.makedirs(env["VEL_DRIVE_D"])
        register = [host] + [a for lib in libs for a in ("--register", lib)]
        subprocess.run(register, env=env, check=True, stdout=subprocess.DEVNULL)
        self.log = open(os.path.join(work, "host.log"), "w+", buffering=1)
        self.process = subprocess.Popen([host, "--serve", "--port", "0"], env=env,
                                        stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.url = None
        deadline = time.monotonic() + 30
        for line in self.process.stdout:
            if line.startswith("vel-host: open "):
                self.url = line.split(" ", 2)[2].strip()
                break
            if time.monotonic() > deadline:
                break
        if not self.url:
            self.stop()
            raise RuntimeError("vel-host printed no address")
        self.base = self.url.split("#", 1)[0]
        self.token = self.url.split("#token=", 1)[1]
        # Keep reading its output so that it never blocks on a full pipe.
        threading.Thread(target=lambda: [None for _ in self.process.stdout], daemon=True).start()

    def alive(self):
        return self.process.poll() is None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def output(self):
        self.log.seek(0)
        return self.log.read()


def foreign_server(ws_url):
    """A page of another origin (another port) that tries the host's socket."""
    page = ("<!DOCTYPE html><title>foreign</title><script>"
            "window.result = null;"
            "var s = new WebSocket(%r);"
            "s.onopen = function () { window.result = 'open'; };"
            "s.onclose = function (e) { if (!window.result) window.result = 'closed ' + e.code; };"
            "</script>" % ws_url).encode()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser(work):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1200,900",
                 "--user-data-dir=" + os.path.join(work, "profile")):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_script_timeout(20)
    return driver


# ---------------------------------------------------------------- the cases

def case_round_trip(driver, host, out):
    """The demo page connects with the token, creates Corvane, and commands
    go both ways; two identical stores are two textChanged events."""
    driver.get(host.url)
    wait_for(driver, "return window.velDemo && velDemo.state === 'open'")
    result = driver.execute_async_script("""
        var done = arguments[arguments.length - 1];
        var panel = velDemo.panel, seen = [], cached = [];
        panel.textChanged.connect(function (value) { seen.push(value); cached.push(panel.text); });
        var start = '{"event":"start","requestParam":"workingMode","target":{"recordingMode":"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}';
        panel.text = start;
        panel.text = start;
        panel.sltReceiveCommand('{"requestParam":"functionState","target":{"index":"uploadPath","state":"http://h/u2"}}');
        var waited = 0;
        (function poll() {
            var answered = velDemo.log.some(function (e) { return e.kind === 'platform'; });
            var service = velDemo.log.some(function (e) { return e.text === 'upload service http://h/u2'; });
            if ((seen.length >= 2 && answered && service) || waited > 10000)
                return done({ seen: seen, cached: cached, answered: answered, service: service,
                              hidden: ['deleteLater', 'objectName', 'sltSendCommand'].filter(function (n) { return n in panel; }) });
            waited += 50;
            setTimeout(poll, 50);
        })();
    """)
    start = ('{"event":"start","requestParam":"workingMode","target":{"recordingMode":'
             '"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}')
    assert result["seen"][:2] == [start, start], result
    assert result["cached"][:2] == [start, start], result
    assert result["answered"], "the platform's answer: %r" % result
    assert result["service"], "sigServiceChanged: %r" % result
    assert result["hidden"] == [], "reachable beyond the surface: %r" % result["hidden"]


def case_directing(driver, host, out):
    """The browser page opens the classroom as demo/panel.js does: layouts and
    clips arrive, and with manual directing a camera switch is answered."""
    driver.get("about:blank")
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")
    wait_for(driver, "return velDemo.log.some(function (e) { return e.kind === 'platform' &&"
                     " e.text.indexOf('\"event\":\"volume\"') >= 0; })")
    kinds = driver.execute_script("""
        return velDemo.log.filter(function (e) { return e.kind === 'platform'; })
                          .map(function (e) { var m = /"requestParam":"([^"]*)"/.exec(e.text);
                                              return m ? m[1] : ''; });""")
    for kind in ("settingMutilScreen", "prelude", "curtain", "directMode"):
        assert kind in kinds, kinds
    driver.execute_script("""
        velDemo.panel.text = '{"event":"","requestParam":"directMode","target":"directModeManual","token":""}';
        velDemo.panel.text = '{"event":"","requestParam":"singleScreen","target":"","token":"cam-teacher-close"}';""")
    wait_for(driver, "return velDemo.log.some(function (e) { return e.kind === 'platform' &&"
                     " e.text.indexOf('\"requestParam\":\"singleScreen\"') >= 0; })")
    answer = driver.execute_script("""
        return velDemo.log.filter(function (e) { return e.kind === 'platform' &&
            e.text.indexOf('"requestParam":"singleScreen"') >= 0; })[0].text;""")
    assert '"event":"change"' in answer and "教师特写" in answer, answer


def case_screenshot(driver, host, out):
    """The demo page in the browser shows the command log."""
    wait_for(driver, "return document.querySelectorAll('#log li.panel').length >= 2"
                     " && document.querySelectorAll('#log li.platform').length >= 1")
    path = os.path.join(out, "serve-demo.png")
    assert driver.save_screenshot(path), "screenshot"
    assert os.path.getsize(path) > 10000, "screenshot is empty"
    print("screenshot: " + path)


def case_oversized(driver, host, out):
    """A message over 4 MiB closes that socket; the page's own connection goes on."""
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")
    code = driver.execute_async_script("""
        var done = arguments[arguments.length - 1];
        var s = new WebSocket('ws://' + location.host + '/');
        s.onopen = function () {
            s.send(JSON.stringify({ token: arguments[0] }));
            s.send(JSON.stringify({ type: 6, id: 1, object: 'host', method: 'createControl',
                                    args: ['x'.repeat(5 * 1024 * 1024)] }));
        }.bind(null, arguments[0]);
        s.onclose = function (e) { done(e.code); };
    """, host.token)
    # 1009 (too big) when the browser reads the host's close frame; 1006 when
    # the host's end of the connection is gone before the browser has sent it all.
    assert code in (1009, 1006), "close code %r" % code
    driver.execute_script("velDemo.panel.sltStartTime('still-here')")
    wait_for(driver, "return velDemo.log.some(function (e) { return e.text === 'start time still-here'; })")


def case_replaced(driver, host, out):
    """A second page's Corvane replaces the first; the first page is told."""
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")
    first = driver.current_window_handle
    driver.switch_to.new_window("tab")
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")
    driver.close()
    driver.switch_to.window(first)
    wait_for(driver, "return velDemo.state === 'replaced'")
    assert driver.execute_script("return !('sltReceiveCommand' in velDemo.panel)"), \
        "the replaced panel is still callable"


def case_leave_during_warning(driver, host, out):
    """A page that leaves while its own message holds a warning open in the
    host (a refused start) must not take the host down: the socket's frame
    reading is still on the stack under the dialog."""
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")
    driver.execute_script("""
        var start = '{"event":"start","requestParam":"workingMode","target":{"recordingMode":"recordingModeMovie","workingMode":"workingModeRecording"},"token":""}';
        velDemo.panel.text = start;
        velDemo.panel.text = start;   // refused by the platform: the bar's warning opens
    """)
    wait_for(driver, "return velDemo.log.filter(function (e) { return e.kind === 'platform'; }).length >= 2")
    time.sleep(1)
    driver.get("about:blank")
    time.sleep(2)
    assert host.alive(), "the host died when the page left"
    # The host still serves: a new page gets its panel (and replaces the old one).
    driver.get(host.url)
    wait_for(driver, "return velDemo.state === 'open'")


def refused(driver, host, url, reason):
    before = host.output().count("refused: " + reason)
    driver.get("about:blank")  # a new fragment alone would not load the page again
    driver.get(url)
    state = wait_for(driver, "return velDemo.state !== 'connecting' && [velDemo.state, velDemo.reason, velDemo.code]")
    # The page shows the reason the host gave (its log's last refusal), even
    # when the first close frame was lost: it asks once more with the token alone.
    given = host.output().rsplit("refused: ", 1)[-1].splitlines()[0]
    assert state == ["refused", given, 1008], (state, given)
    assert host.output().count("refused: " + reason) in (before + 1, before + 2), host.output()


def case_no_token(driver, host, out):
    refused(driver, host, host.base, "no token")


def case_wrong_token(driver, host, out):
    refused(driver, host, host.base + "#token=" + "0" * 32, "bad token")


def case_foreign_origin(driver, host, out):
    ws = host.base.replace("http://", "ws://")
    server = foreign_server(ws)
    try:
        driver.get("http://127.0.0.1:%d/" % server.server_address[1])
        result = wait_for(driver, "return window.result")
        assert result.startswith("closed"), result
    finally:
        server.shutdown()


CASES = [case_directing, case_round_trip, case_screenshot, case_oversized, case_replaced, case_no_token,
         case_wrong_token, case_foreign_origin, case_leave_during_warning]


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    host_path, tessaro, vimbrel, out = sys.argv[1:]
    if webdriver is None:
        skip("python3-selenium is not installed")
    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            skip(program + " is not installed")
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="vel-serve-browser.")
    host = driver = None
    failures = 0
    try:
        host = Host(host_path, [tessaro, vimbrel], work)
        driver = browser(work)
        for case in CASES:
            try:
                case(driver, host, out)
                print("PASS   : " + case.__name__)
            except Exception:
                failures += 1
                print("FAIL!  : " + case.__name__)
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
    print("Totals: %d passed, %d failed" % (len(CASES) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
