#!/usr/bin/env bash
# Starts the directing panel on the demo page. Usage: run-demo.sh BUILD_DIR [host options]
# VEL_DEMO_PAGE=tour.js runs the tour control's page instead.
#
# Registers the library into a store under the build folder (not the user's),
# starts the test stream server when it is built (VEL_DEMO_STREAMS=0 skips it)
# and runs the host with demo/panel.js. Without a display ($DISPLAY and
# $WAYLAND_DISPLAY empty) it runs on Qt's offscreen platform and writes a
# screenshot, BUILD_DIR/demo/panel.png unless --screenshot is given.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "$1" && pwd)"; shift
HOST="$BUILD/host/vel-host"
LIB="$BUILD/lib/libtessaro.so"
PAGE="${VEL_DEMO_PAGE:-panel.js}"
SERVER="$BUILD/tools/rtspserver/vel-rtsp-server"
if [ ! -x "$HOST" ]; then
  echo "run-demo: the host program is not built yet" >&2
  exit 1
fi

mkdir -p "$BUILD/demo"
export VEL_AX_STORE="${VEL_AX_STORE:-$BUILD/demo/registry.json}"
"$HOST" --register "$LIB"
[ "$PAGE" = panel.js ] || "$HOST" --register "$BUILD/lib/libvimbrel.so"

args=("$@")
screenshot=""
wait_ms=2500
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
  if [[ " ${args[*]} " != *" --screenshot "* ]]; then
    screenshot="$BUILD/demo/${PAGE%.js}.png"
    args+=(--screenshot "$screenshot")
  fi
fi
for ((i = 0; i < ${#args[@]}; i++)); do
  [ "${args[$i]}" = --screenshot ] && screenshot="${args[$((i + 1))]:-}"
done

# Test cameras: the server stops when its standard input closes, so it goes
# down with this script whatever happens.
if [ -x "$SERVER" ] && [ "${VEL_DEMO_STREAMS:-1}" != 0 ]; then
  coproc RTSP { exec "$SERVER" --port 0 --pattern smpte; }
  ready=""; port=""
  read -r -t 10 ready port <&"${RTSP[0]}" || true
  if [ "$ready" = READY ]; then
    echo "run-demo: test cameras at rtsp://127.0.0.1:$port"
    args+=(--arg "rtsp=rtsp://127.0.0.1:$port")
    wait_ms=5000
  else
    echo "run-demo: the test stream server did not start; no video" >&2
  fi
fi
# The upload service of the title and tail clips: files it stores land in
# BUILD_DIR/demo/uploads. It is stopped by its process id when the demo ends.
UPLOADER="$ROOT/tests/support/veluploadserver.py"
UPLOAD_PID=""
if command -v python3 >/dev/null && [ -f "$UPLOADER" ]; then
  mkdir -p "$BUILD/demo/uploads"
  rm -f "$BUILD/demo/upload.ready"
  python3 -u "$UPLOADER" --port 0 --quiet --no-control --store "$BUILD/demo/uploads" \
    >"$BUILD/demo/upload.ready" </dev/null &
  UPLOAD_PID=$!
  trap '[ -n "$UPLOAD_PID" ] && kill "$UPLOAD_PID" 2>/dev/null || true' EXIT
  uport=""
  for _ in $(seq 50); do
    uport="$(sed -n 's/^READY \([0-9]*\)$/\1/p' "$BUILD/demo/upload.ready" 2>/dev/null || true)"
    [ -n "$uport" ] && break
    sleep 0.1
  done
  if [ -n "$uport" ]; then
    echo "run-demo: upload service at http://127.0.0.1:$uport/upload"
    args+=(--arg "upload=http://127.0.0.1:$uport/upload")
  else
    echo "run-demo: the upload service did not start" >&2
  fi
fi
if [ -n "$screenshot" ] && [[ " ${args[*]} " != *" --wait "* ]]; then
  args+=(--wait "$wait_ms")
fi
# The pointer rests over the output view's bottom edge, so its bar shows.
if [ -n "$screenshot" ] && [[ " ${args[*]} " != *" --pointer "* ]]; then
  args+=(--pointer 640,715)
fi

status=0
"$HOST" "${args[@]}" "$ROOT/demo/$PAGE" || status=$?
if [ -n "${RTSP_PID:-}" ]; then
  echo quit >&"${RTSP[1]}" 2>/dev/null || true
  wait "$RTSP_PID" 2>/dev/null || true
fi
if [ -n "$UPLOAD_PID" ]; then
  kill "$UPLOAD_PID" 2>/dev/null || true
  wait "$UPLOAD_PID" 2>/dev/null || true
  UPLOAD_PID=""
fi
if [ -n "$screenshot" ] && [ "$status" -eq 0 ]; then
  echo "run-demo: screenshot of the page: $screenshot"
fi
exit "$status"
