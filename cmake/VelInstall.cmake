# What `cmake --install build --prefix P` puts under P: the two control
# libraries, the host, the demo pages it includes from, the autostart entry and
# the systemd user unit of the browser bridge. Nothing installed refers back to
# the source or build tree: the host finds its data from its own folder.

# The libraries are loaded by path from the registration store, never linked
# against, so the development name libX.so is not installed; libX.so.1 is the
# name registered, kept across upgrades of the file behind it.
install(TARGETS tessaro vimbrel
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP)
install(TARGETS vel-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES demo/panel.js demo/tour.js demo/platform.js
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vel-controls/demo)
install(FILES demo/browser/index.html demo/browser/panel.js
  DESTINATION ${CMAKE_INSTALL_DATADIR}/vel-controls/demo/browser)
# What every Debian package carries about its origin and licence.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vel-controls)

# The session files name the host by its installed path, which is only known
# when installing (--prefix, the package's /usr); see VelInstallSession.cmake.
install(CODE "
  set(VEL_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")
  set(VEL_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/VelInstallSession.cmake\")
")
