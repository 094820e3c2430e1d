#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed vel-host from
# a folder outside the tree: registration in both scopes, --list, a page with
# both controls that includes the installed demo platform, the user's
# autostart entry and the bridge's token file. Every file the installed host
# touches is traced: none may lie in the source or the build tree.
# Usage: install-check.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source="$(cd "$2" && pwd)"
fail() { echo "install-check: $*" >&2; exit 1; }
command -v strace >/dev/null || fail "strace is missing (run.sh installs it)"

work="$(mktemp -d "${TMPDIR:-/tmp}/vel-install.XXXXXX")"
serve_pid=""
host_pid=""
stop_serve() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  [ -n "$serve_pid" ] && wait "$serve_pid" 2>/dev/null
  return 0
}
trap 'stop_serve; rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }

host="$prefix/bin/vel-host"
[ -x "$host" ] || fail "no bin/vel-host"
tessaro="$(find "$prefix/lib" -name libtessaro.so.1)"
vimbrel="$(find "$prefix/lib" -name libvimbrel.so.1)"
libdir="$(dirname "$tessaro")"
[[ "$libdir" == "$prefix/lib/"*-*-* ]] || fail "libraries in ${libdir:-nowhere}, not lib/<multiarch>"
[ -f "$vimbrel" ] || fail "libvimbrel.so.1 not beside libtessaro.so.1"
for f in "$host" "$libdir"/lib*.so.1; do
  if readelf -d "$f" | grep -E "RPATH|RUNPATH" | grep -qF -e "$source" -e "$build"; then
    fail "$f keeps a run path into the tree"
  fi
done
demo="$prefix/share/vel-controls/demo"
[ -f "$demo/platform.js" ] && [ -f "$demo/browser/index.html" ] || fail "demo pages missing"

mkdir -p "$work/home" "$work/run" "$work/c" "$work/d" "$work/page"
chmod 700 "$work/run"
cd "$work"
unset VEL_AX_STORE VEL_DEMO_DIR VEL_AX_SCOPE
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
export VEL_AX_SYSTEM_STORE="$work/etc/vel-controls/registry.json"
export VEL_DRIVE_C="$work/c" VEL_DRIVE_D="$work/d" QT_QPA_PLATFORM=offscreen
n=0
traced() { n=$((n + 1)); strace -f -qq -e trace=%file -o "$work/trace.$n" "$@"; }

traced "$host" --system --register "$tessaro" --register "$vimbrel" >"$work/out" ||
  fail "machine-wide registration failed"
grep -qF "in $VEL_AX_SYSTEM_STORE" "$work/out" || fail "not registered machine-wide: $(cat "$work/out")"
traced "$host" --register "$vimbrel" >/dev/null || fail "per-user registration failed"
traced "$host" --list >"$work/list" || fail "--list failed: $(cat "$work/list")"
for line in "Corvane .* \[system\]" "Pellith .* \[user\]" "Pellith .* \[system, hidden by user\]"; do
  grep -q "$line" "$work/list" || fail "--list lacks \"$line\": $(cat "$work/list")"
done

cat >"$work/page/page.js" <<'JS'
host.include(host.args.demo + "/platform.js");
host.verify(typeof VelDemoPlatform === "function", "the installed demo platform");
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
var tour = document.createControl("{BF760905-BE9E-43CA-A5C6-2CB1822B6889}", { width: 320, height: 180 });
host.compare(panel.className, "Corvane", "the panel, registered machine-wide");
host.compare(tour.className, "Pellith", "the tour control, registered by the user");
panel.sltReceiveCommand('{"requestParam":"directMode","target":"directModeAuto"}');
tour.setChannelName("一年级四班");
host.done();
JS
traced "$host" --time-limit 30000 --arg "demo=$demo" "$work/page/page.js" >"$work/out" 2>&1 ||
  fail "the page with both controls failed: $(cat "$work/out")"
grep -qF "loaded $libdir/libvimbrel.so.1" "$work/out" || fail "vimbrel not loaded from the prefix"

traced "$host" --autostart on >/dev/null || fail "--autostart on failed"
entry="$XDG_CONFIG_HOME/autostart/vel-host.desktop"
grep -qxF "Exec=\"$host\" --serve --publish-token" "$entry" && grep -qx "Hidden=false" "$entry" ||
  fail "the user's autostart entry: $(cat "$entry")"
grep -qx "Hidden=true" "$prefix/etc/xdg/autostart/vel-host.desktop" ||
  fail "the installed autostart entry is not off by default"
grep -qxF "ExecStart=$host --serve --publish-token" "$prefix/lib/systemd/user/vel-host.service" ||
  fail "the systemd user unit does not start the installed host"

# The bridge as the session starts it: the token reaches a private file, which
# goes when the session ends the host.
strace -f -qq -e trace=%file -o "$work/trace.serve" "$host" --serve --port 0 --publish-token \
  >"$work/serve.out" 2>"$work/serve.err" &
serve_pid=$!
token_file="$XDG_RUNTIME_DIR/vel-controls/serve-token"
for _ in $(seq 100); do
  grep -q "token file" "$work/serve.out" 2>/dev/null && break
  sleep 0.1
done
printed="$(sed -n 's/^vel-host: token \([0-9a-f]*\)$/\1/p' "$work/serve.out")"
[ -n "$printed" ] && [ "$(cat "$token_file" 2>/dev/null)" = "$printed" ] ||
  fail "token file: $(cat "$work/serve.out" "$work/serve.err")"
[ "$(stat -c %a "$token_file")" = 600 ] || fail "the token file is not 0600"
# The signal goes to the host, not to strace, which ends with it.
host_pid="$(pgrep -P "$serve_pid" -x vel-host)" || fail "no host under strace"
kill -TERM "$host_pid"
status=0
wait "$serve_pid" || status=$?
serve_pid=""
host_pid=""
[ "$status" -eq 0 ] || fail "the bridge ended with $status on SIGTERM"
[ ! -e "$token_file" ] || fail "the token file outlived the bridge"

if grep -hF -e "\"$source/" -e "\"$build/" "$work"/trace.* | head -5 | grep .; then
  fail "the installed host touched the tree (above)"
fi
echo "install-check: installed host ran from $prefix without the tree"
