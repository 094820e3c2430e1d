#!/usr/bin/env bash
# Starts the panel on the demo page. Usage: run-demo.sh BUILD_DIR [host options]
set -euo pipefail
BUILD="$1"; shift
HOST="$BUILD/host/vel-host"
if [ ! -x "$HOST" ]; then
  echo "run-demo: the host program is not built yet" >&2
  exit 1
fi
exec "$HOST" "$@"
