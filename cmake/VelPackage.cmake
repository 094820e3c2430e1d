# The Debian package vel-controls: `cmake --build build --target package` or
# `bash run.sh package`. It holds what cmake --install puts under /usr (and the
# autostart entry in /etc/xdg/autostart); its Depends come from the binaries
# (dpkg-shlibdeps). The maintainer scripts register both libraries machine-wide
# through the installed host and unregister them on removal.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vel-controls)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Classroom directing panel and tour viewer controls, with their host")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The directing panel control Corvane (libtessaro) and the classroom tour control\n\
Pellith (libvimbrel) that the recording platform's pages script, and vel-host,\n\
which hosts them for page scripts and offers them to pages in the browser.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Classroom controls team <root@localhost>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not a library dependency, but the panel's texts are Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wqy-microhei)
set(CPACK_STRIP_FILES ON)
# Installed under /usr through DESTDIR, so that the autostart entry's rule
# (VelInstallSession.cmake) sees the real prefix and places it in /etc.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)

set(VEL_HOST_PROGRAM "/usr/${CMAKE_INSTALL_BINDIR}/vel-host")
set(VEL_LIBRARY_DIR "/usr/${CMAKE_INSTALL_LIBDIR}")
set(VEL_SYSTEM_STORE_DIR "/etc/vel-controls")
foreach(script postinst prerm postrm conffiles)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${script}.in
    ${PROJECT_BINARY_DIR}/packaging/${script} @ONLY)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
