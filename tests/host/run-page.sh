#!/usr/bin/env bash
# Runs one test page in the host with a fresh registration store and fresh
# drives C and D, after registering both libraries.
# Usage: run-page.sh HOST TESSARO_LIB VIMBREL_LIB PAGE [--unregister]
#                    [--marker] [--expect-exit N] [-- host options...]
#   --unregister     unregister tessaro again before the page runs
#   --marker         create c:/beginLog.txt (diagnostic mode) first
#   --expect-exit N  the host's exit code that counts as a pass (default 0)
#   --expect-stderr RE  the host's standard error must match RE (grep -E)
#   --rtsp SERVER    start the test stream server; the page gets --arg rtsp=BASE
# Exit code 77 (the page skipped) is passed on for CTest's SKIP_RETURN_CODE.
set -uo pipefail
host="$1"; tessaro="$2"; vimbrel="$3"; page="$4"; shift 4
expect=0; unregister=0; marker=0; rtsp=""; stderr_re=""; extra=()
while (($#)); do
  case "$1" in
    --unregister) unregister=1 ;;
    --marker) marker=1 ;;
    --expect-exit) expect="$2"; shift ;;
    --expect-stderr) stderr_re="$2"; shift ;;
    --rtsp) rtsp="$2"; shift ;;
    --) shift; extra=("$@"); break ;;
    *) echo "run-page: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

work="$(mktemp -d "${TMPDIR:-/tmp}/vel-page.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export VEL_AX_STORE="$work/registry.json" VEL_DRIVE_C="$work/c" VEL_DRIVE_D="$work/d"
# Classes an installed package registered machine-wide stay out of the test.
export VEL_AX_SYSTEM_STORE="$work/system/registry.json"
mkdir -p "$VEL_DRIVE_C" "$VEL_DRIVE_D"
((marker)) && : >"$VEL_DRIVE_C/beginLog.txt"

"$host" --register "$tessaro" --register "$vimbrel" || exit 1
if ((unregister)); then
  "$host" --unregister "$tessaro" || exit 1
fi

# The server stops when its standard input closes, with this script at the latest.
if [ -n "$rtsp" ]; then
  coproc RTSP { exec "$rtsp" --port 0 --pattern smpte; }
  ready=""; port=""
  read -r -t 10 ready port <&"${RTSP[0]}" || true
  if [ "$ready" != READY ]; then
    echo "run-page: the test stream server did not start" >&2
    exit 1
  fi
  extra=(--arg "rtsp=rtsp://127.0.0.1:$port" "${extra[@]}")
fi

status=0
"$host" --time-limit 60000 "${extra[@]}" "$page" 2>"$work/stderr" || status=$?
cat "$work/stderr" >&2
if [ -n "${RTSP_PID:-}" ]; then
  echo quit >&"${RTSP[1]}" 2>/dev/null || true
  wait "$RTSP_PID" 2>/dev/null || true
fi
if [ "$status" -eq 77 ] && [ "$expect" -ne 77 ]; then
  exit 77
fi
if [ "$status" -ne "$expect" ]; then
  echo "run-page: the host ended with $status, expected $expect" >&2
  exit 1
fi
if [ -n "$stderr_re" ] && ! grep -Eq "$stderr_re" "$work/stderr"; then
  echo "run-page: the host's standard error does not match $stderr_re" >&2
  exit 1
fi
exit 0
