#!/usr/bin/env bash
# Entry point: "bash run.sh demo" runs the host with the directing panel on the
# built-in demo page; "bash run.sh test" builds and runs every test.
# Both install what is missing (Debian 12, as root), then build incrementally.
# "bash run.sh package" builds the Debian package vel-controls_<version>_<arch>.deb
# into the build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${VEL_BUILD_DIR:-$ROOT/build}"
BUILD_ASAN="${VEL_BUILD_ASAN_DIR:-$ROOT/build-asan}"
JOBS="${VEL_JOBS:-2}"

PACKAGES=(
  build-essential cmake pkg-config ccache git
  qtbase5-dev qtbase5-dev-tools qtdeclarative5-dev libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg libyuv-dev
  libasound2-dev libasound2-plugins alsa-utils
  libgstrtspserver-1.0-dev libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav
  xvfb xauth fonts-wqy-microhei util-linux openbox xdotool x11-apps clang-format
  clang libclang-rt-14-dev
  libqt5webchannel5-dev libqt5websockets5-dev chromium chromium-driver python3-selenium
  dpkg-dev file strace
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "run.sh: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Builds are serialised: helpers and scripts share the two cores and the tree.
build() {
  local dir="$1"; shift
  local target="$1"; shift
  (
    flock 9
    if [ ! -f "$dir/CMakeCache.txt" ]; then
      cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$dir" -j"$JOBS" --target "$target"
  ) 9>/tmp/vel-build.lock
}

run_tests() {
  build "$BUILD" all
  local status=0
  if [ "${VEL_SKIP_ASAN:-0}" != 1 ]; then
    build "$BUILD_ASAN" asan-tests -DVEL_SANITIZE=ON
    echo "run.sh: sanitizer build (ASan + UBSan)"
    (cd "$BUILD_ASAN" && \
      ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" \
      LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
      ctest -L asan --output-on-failure -j"$JOBS") || status=1
  fi
  (cd "$BUILD" && ctest --output-on-failure -j"$JOBS") || status=1
  if [ "${VEL_SKIP_FUZZ:-0}" != 1 ]; then
    echo "run.sh: fuzz targets, short run (fuzz/run-fuzz.sh)"
    VEL_BUILD_FUZZ_DIR="${VEL_BUILD_FUZZ_DIR:-$ROOT/build-fuzz}" "$ROOT/fuzz/run-fuzz.sh" short || status=1
  fi
  return $status
}

# Every C++ file as clang-format (.clang-format at the root) writes it.
check_format() {
  local bad=()
  while IFS= read -r f; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done < <(git -C "$ROOT" ls-files '*.cpp' '*.h')
  if ((${#bad[@]})); then
    echo "run.sh: not formatted (clang-format -i FILE): ${bad[*]}" >&2
    return 1
  fi
  echo "run.sh: formatting checked"
}

run_demo() {
  build "$BUILD" all
  exec "$ROOT/demo/run-demo.sh" "$BUILD" "$@"
}

cmd="${1:-}"
shift || true
case "$cmd" in
  demo) install_packages; run_demo "$@" ;;
  test) install_packages; run_tests ;;
  build) install_packages; build "$BUILD" all ;;
  format) install_packages; cd "$ROOT" && check_format ;;
  package) install_packages; build "$BUILD" package ;;
  *) echo "usage: bash run.sh demo|test|build|format|package" >&2; exit 2 ;;
esac
