# `cmake --install` and `cpack -G DEB`: the programs go to <prefix>/lib/nimbra as they lie in
# the engine home (transmit, nbsms, Devices/, Plugins/), transmit and nbsms get links in
# <prefix>/bin, the data files a new home copies go to <prefix>/share/nimbra, and the session
# units, the desktop entry and the icon go where systemd, D-Bus and desktops look for them.
set(NIMBRA_PROGRAM_DIR lib/nimbra)
set(NIMBRA_DATA_DIR share/nimbra)

install(TARGETS transmit nbsms RUNTIME DESTINATION ${NIMBRA_PROGRAM_DIR})
install(TARGETS smpp cimd handset RUNTIME DESTINATION ${NIMBRA_PROGRAM_DIR}/Devices)
install(TARGETS billboard RUNTIME DESTINATION ${NIMBRA_PROGRAM_DIR}/Plugins)

# Relative links, made in the build tree and installed as links.
set(links_dir "${CMAKE_BINARY_DIR}/install-links")
file(MAKE_DIRECTORY "${links_dir}")
foreach(program transmit nbsms)
  file(CREATE_LINK "../${NIMBRA_PROGRAM_DIR}/${program}" "${links_dir}/${program}" SYMBOLIC)
  install(FILES "${links_dir}/${program}" DESTINATION bin)
endforeach()

install(FILES home/Languages.txt home/Notify.wav DESTINATION ${NIMBRA_DATA_DIR})
install(DIRECTORY home/Billboard home/Help DESTINATION ${NIMBRA_DATA_DIR})
# The language folder fills itself on first use; a new home gets it empty.
install(DIRECTORY DESTINATION ${NIMBRA_DATA_DIR}/Languages/English)

# The session units name the installed program by its full path.
set(NIMBRA_INSTALLED_TRANSMIT "${CMAKE_INSTALL_PREFIX}/bin/transmit")
configure_file(dist/nimbra-transmit.service.in "${CMAKE_BINARY_DIR}/dist/nimbra-transmit.service"
               @ONLY)
configure_file(dist/org.nimbra.Transmit.service.in
               "${CMAKE_BINARY_DIR}/dist/org.nimbra.Transmit.service" @ONLY)
configure_file(dist/org.nimbra.Transmit.desktop.in
               "${CMAKE_BINARY_DIR}/dist/org.nimbra.Transmit.desktop" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/dist/nimbra-transmit.service" DESTINATION lib/systemd/user)
install(FILES "${CMAKE_BINARY_DIR}/dist/org.nimbra.Transmit.service"
        DESTINATION share/dbus-1/services)
install(FILES "${CMAKE_BINARY_DIR}/dist/org.nimbra.Transmit.desktop"
        DESTINATION share/applications)
install(FILES dist/nimbra.svg DESTINATION share/icons/hicolor/scalable/apps)

# The Debian package: the Qt 6 libraries the programs link, found by dpkg-shlibdeps, and the
# bus the engine serves on.
set(CPACK_PACKAGE_NAME nimbra)
set(CPACK_PACKAGE_VENDOR "Nimbra")
set(CPACK_PACKAGE_CONTACT "Nimbra maintainers <maintainers@nimbra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SMS server: engine, device drivers and command-line client")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus-daemon")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dbus-user-session")
include(CPack)
