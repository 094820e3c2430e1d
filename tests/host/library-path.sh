#!/usr/bin/env bash
# The host loads exactly the library the store records. The store is made to
# record junk (or a relative path) while a good copy of the library lies in
# the loader's search path: the host must refuse, not load the copy.
# Usage: library-path.sh HOST TESSARO_LIB PAGE junk|relative
set -uo pipefail
host="$1"; tessaro="$2"; page="$3"; kind="$4"
work="$(mktemp -d "${TMPDIR:-/tmp}/vel-libpath.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export VEL_AX_STORE="$work/registry.json" VEL_DRIVE_C="$work/c" VEL_DRIVE_D="$work/d"
# Classes an installed package registered machine-wide stay out of the test.
export VEL_AX_SYSTEM_STORE="$work/system/registry.json"
mkdir -p "$VEL_DRIVE_C" "$VEL_DRIVE_D" "$work/recorded" "$work/search"
"$host" --register "$tessaro" >/dev/null || exit 1

recorded="$(python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(next(iter(d["CLSID"].values()))["library"])' "$VEL_AX_STORE")"
name="$(basename "$recorded")"
# Good copies where a search would look: the loader's path, and the hardware
# subfolders beside the recorded file.
for dir in "$work/search" "$work/recorded/haswell" "$work/recorded/x86_64"; do
  mkdir -p "$dir"
  cp "$(readlink -f "$tessaro")" "$dir/$name"
done
case "$kind" in
  junk) printf 'not a library\n' >"$work/recorded/$name"; path="$work/recorded/$name"; expect="cannot load" ;;
  relative) path="$name"; expect="is not absolute" ;;
  *) echo "library-path: unknown kind $kind" >&2; exit 2 ;;
esac
python3 - "$VEL_AX_STORE" "$path" <<'PY'
import json, sys
store = json.load(open(sys.argv[1]))
for entry in store["CLSID"].values():
    entry["library"] = sys.argv[2]
json.dump(store, open(sys.argv[1], "w"))
PY
cd "$work/search"
LD_LIBRARY_PATH="$work/search" "$host" --time-limit 60000 --arg "expect=$expect" "$page"
