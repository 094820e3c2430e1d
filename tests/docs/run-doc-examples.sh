#!/usr/bin/env bash
# Runs the guide's vel-host examples (the ```js vel-host blocks of each page, in
# order, as one page) in the host with fresh drives and store: a method the
# control does not have, a wrong argument count or type, or any other page error
# fails. A page takes its blocks in order, as an author reads them. Every
# command the examples make the panel publish (a line "panel -> TEXT") must be
# in the page word for word, so the guide's examples of commands stay true.
# Usage: run-doc-examples.sh RUN_PAGE HOST TESSARO_LIB VIMBREL_LIB DOC.md
set -uo pipefail
run_page="$1"; host="$2"; tessaro="$3"; vimbrel="$4"; doc="$5"

work="$(mktemp -d "${TMPDIR:-/tmp}/vel-doc-examples.XXXXXX")"
trap 'rm -rf "$work"' EXIT
page="$work/$(basename "$doc" .md)_examples.js"

awk -v doc="$doc" '
  /^```js vel-host[[:space:]]*$/ { inside = 1; ++blocks; print "// " doc ", example " blocks; next }
  inside && /^```[[:space:]]*$/ { inside = 0; print ""; next }
  inside { print }
  END { if (!blocks) { print "host.fail(\"no vel-host examples in " doc "\");" } }
' "$doc" >"$page"
# Listeners and timers of the examples get a moment before the page ends.
echo 'setTimeout(function () { host.done(); }, 500);' >>"$page"

# The snapshot and record examples ask for a file: answered without a dialog.
export VEL_SAVE_DIALOG_ANSWER="$work/saved"
bash "$run_page" "$host" "$tessaro" "$vimbrel" "$page" -- --time-limit 20000 >"$work/out"
status=$?
cat "$work/out"
while IFS= read -r command; do
  if ! grep -qF -- "$command" "$doc"; then
    echo "run-doc-examples: the panel published $command, which $doc does not show" >&2
    status=1
  fi
done < <(sed -n 's/^panel -> //p' "$work/out")
if [ "$status" -ne 0 ]; then
  echo "run-doc-examples: the examples of $doc failed; the page was:" >&2
  cat -n "$page" >&2
fi
exit "$status"
