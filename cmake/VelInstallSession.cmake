# Run by `cmake --install` (and cpack): writes the XDG autostart entry and the
# systemd user unit with the host's installed path. The autostart entry goes
# to <sysconf>/xdg/autostart, where <sysconf> is /etc for the prefix /usr (the
# package) and <prefix>/etc otherwise, as GNUInstallDirs places it.
set(_vel_prefix "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/+$" "" _vel_prefix "${_vel_prefix}")
if(_vel_prefix STREQUAL "/usr")
  set(_vel_etc "/etc")
else()
  set(_vel_etc "${_vel_prefix}/etc")
endif()
set(VEL_HOST_PROGRAM "${_vel_prefix}/${VEL_INSTALL_BINDIR}/vel-host")

foreach(_vel_pair
    "vel-host.desktop.in|${_vel_etc}/xdg/autostart/vel-host.desktop"
    "vel-host.service.in|${_vel_prefix}/lib/systemd/user/vel-host.service")
  string(REPLACE "|" ";" _vel_pair "${_vel_pair}")
  list(GET _vel_pair 0 _vel_in)
  list(GET _vel_pair 1 _vel_out)
  message(STATUS "Installing: $ENV{DESTDIR}${_vel_out}")
  configure_file("${VEL_PACKAGING_DIR}/${_vel_in}" "$ENV{DESTDIR}${_vel_out}" @ONLY)
  file(CHMOD "$ENV{DESTDIR}${_vel_out}"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${_vel_out}")
endforeach()
