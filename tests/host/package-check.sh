#!/usr/bin/env bash
# Builds the Debian package from the built tree and checks what an administrator installs: name and
# version, Depends computed, files only under the install paths, the
# maintainer scripts registering machine-wide and the autostart entry off.
# Usage: package-check.sh BUILD_DIR VERSION
set -euo pipefail
build="$(cd "$1" && pwd)"
version="$2"
fail() { echo "package-check: $*" >&2; exit 1; }
work="$(mktemp -d "${TMPDIR:-/tmp}/vel-package.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The package target's cpack first builds everything (its "preinstall" step);
# here the tree is built, and a test must not compile: the same install rules
# run as a script instead.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" -D CPACK_INSTALL_CMAKE_PROJECTS= \
  -D "CPACK_INSTALL_SCRIPTS=$build/cmake_install.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(ls "$work"/vel-controls_*.deb)"
[ "$(dpkg-deb -f "$deb" Package)" = vel-controls ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt5widgets5 libqt5websockets5 libavformat59 libasound2 libyuv0; do
  [[ "$depends" == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

arch="$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
while read -r path; do
  case "$path" in
    ./ | ./usr/ | ./usr/bin/ | ./usr/lib/ | ./usr/share/ | ./etc/ | ./etc/xdg/ | ./etc/xdg/autostart/) ;;
    ./usr/bin/vel-host | "./usr/lib/$arch/"* | ./usr/lib/systemd/* | ./usr/share/vel-controls/*) ;;
    ./usr/share/doc/ | ./usr/share/doc/vel-controls/ | ./usr/share/doc/vel-controls/copyright) ;;
    ./etc/xdg/autostart/vel-host.desktop) ;;
    *) fail "$path lies outside the install paths" ;;
  esac
done <"$work/files"
for path in ./usr/bin/vel-host "./usr/lib/$arch/libtessaro.so.1" "./usr/lib/$arch/libvimbrel.so.1" \
  ./usr/share/vel-controls/demo/platform.js ./usr/lib/systemd/user/vel-host.service \
  ./usr/share/doc/vel-controls/copyright; do
  grep -qxF "$path" "$work/files" || fail "$path is missing"
done

mkdir "$work/control" "$work/data"
dpkg-deb -e "$deb" "$work/control"
dpkg-deb -x "$deb" "$work/data"
for script in postinst prerm postrm; do
  [ -x "$work/control/$script" ] || fail "no $script"
  sh -n "$work/control/$script" || fail "$script does not parse"
done
grep -qF -- "--system" "$work/control/postinst" &&
  grep -qF -- "--register /usr/lib/$arch/libtessaro.so.1" "$work/control/postinst" &&
  grep -qF -- "--register /usr/lib/$arch/libvimbrel.so.1" "$work/control/postinst" ||
  fail "postinst does not register both libraries machine-wide"
grep -qF -- "--unregister /usr/lib/$arch/libtessaro.so.1" "$work/control/prerm" ||
  fail "prerm does not unregister"
while read -r conffile; do
  [ -f "$work/data$conffile" ] || fail "conffile $conffile is not in the package"
done <"$work/control/conffiles"
desktop="$work/data/etc/xdg/autostart/vel-host.desktop"
grep -qx "Hidden=true" "$desktop" && grep -qx "Exec=/usr/bin/vel-host --serve --publish-token" "$desktop" ||
  fail "autostart entry: $(cat "$desktop")"
echo "package-check: $(basename "$deb") ($(stat -c %s "$deb") bytes)"
