#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) in build-fuzz/ and
# runs them.
#   fuzz/run-fuzz.sh short                  # each target over its corpus, a few seconds
#   fuzz/run-fuzz.sh long [RUNS] [TARGET]   # RUNS executions a target (default 10000000)
# VEL_FUZZ_TIMEOUT=N (default 10) is libFuzzer's wall-clock limit an input: a
# long run at low priority beside builds is starved for seconds at a time and
# reports false timeouts at 10 (one input that takes 0.3 s on its own).
# VEL_FUZZ_SECONDS=N bounds each long run to N seconds as well; libFuzzer's
# log goes to VEL_FUZZ_LOG_DIR (default build-fuzz/findings/<target>.log).
# The long run works on a copy of the corpus in build-fuzz/corpus/ (new inputs
# stay there) and ends with a line per target: executions, executions per
# second, coverage (edges) and features. Findings (crash-*, timeout-*, leak-*)
# are written to build-fuzz/findings/.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VEL_BUILD_FUZZ_DIR:-$ROOT/build-fuzz}"
JOBS="${VEL_JOBS:-2}"
TARGETS=(fuzz_command fuzz_incoming fuzz_liveroom fuzz_layout)
MAX_LEN=1048576 # long inputs reach length-driven faults

mode="${1:-short}"
runs="${2:-10000000}"
only="${3:-}"

# VEL_FUZZ_NO_BUILD=1 runs what is built (a long run need not queue for the lock).
[ "${VEL_FUZZ_NO_BUILD:-0}" = 1 ] || (
  flock 9
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVEL_FUZZ=ON -DVEL_BUILD_TESTS=OFF >/dev/null
  fi
  cmake --build "$BUILD" -j"$JOBS" --target fuzz-targets
) 9>/tmp/vel-build.lock

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$BUILD/findings" "${VEL_FUZZ_LOG_DIR:-$BUILD/findings}"
status=0
for target in "${TARGETS[@]}"; do
  [ -n "$only" ] && [ "$only" != "$target" ] && continue
  seeds="$ROOT/fuzz/corpus/${target#fuzz_}"
  log="${VEL_FUZZ_LOG_DIR:-$BUILD/findings}/$target.log"
  # -detect_leaks=0: leaks are not looked for (ASAN_OPTIONS), and libFuzzer's
  # own check runs an input again whenever mallocs and frees differ, which
  # the live controls' state makes them do.
  common=(-max_len=$MAX_LEN -timeout="${VEL_FUZZ_TIMEOUT:-10}" -rss_limit_mb=4096 -print_final_stats=1 -detect_leaks=0
          -dict="$ROOT/fuzz/commands.dict"
          -artifact_prefix="$BUILD/findings/$target-")
  if [ "$mode" = short ]; then
    # The corpus once, then a few seconds of mutation; new inputs go to a
    # scratch folder, never into the tree.
    scratch="$(mktemp -d)"
    "$BUILD/fuzz/$target" "${common[@]}" -max_total_time=5 "$scratch" "$seeds" >"$log" 2>&1 || {
      status=1; tail -40 "$log"; }
    rm -rf "$scratch"
  else
    work="$BUILD/corpus/${target#fuzz_}"
    mkdir -p "$work"
    cp -n "$seeds"/* "$work"/ 2>/dev/null || true
    limit=()
    [ -n "${VEL_FUZZ_SECONDS:-}" ] && limit=(-max_total_time="$VEL_FUZZ_SECONDS")
    # ASan keeps every distinct allocation stack for good: over millions of
    # inputs that store grew past 2 GB and taking the stacks was the largest
    # cost. Two frames a stack keep memory flat; rerun a finding with the
    # short mode's options for full stacks.
    ASAN_OPTIONS="$ASAN_OPTIONS:malloc_context_size=2" \
    nice -n 19 "$BUILD/fuzz/$target" "${common[@]}" -runs="$runs" "${limit[@]}" \
      "$work" "$seeds" >"$log" 2>&1 || { status=1; tail -40 "$log"; }
  fi
  # libFuzzer's last status line and final statistics.
  last="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
  cov="$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')"
  ft="$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')"
  echo "fuzz: $target $mode: ${execs:-?} executions, ${rate:-?} exec/s, cov ${cov:-?} edges, ft ${ft:-?}"
done
exit $status
