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

# The session units and the desktop entry name the installed program by its full path: made
# at install time, for the prefix given then (`cmake --install --prefix`, the package's /usr).
foreach(unit "nimbra-transmit.service|lib/systemd/user" "org.nimbra.Transmit.service|share/dbus-1/services"
             "org.nimbra.Transmit.desktop|share/applications")
  string(REPLACE "|" ";" unit "${unit}")
  list(GET unit 0 file)
  list(GET unit 1 folder)
  install(CODE "
    set(NIMBRA_INSTALLED_TRANSMIT \"\${CMAKE_INSTALL_PREFIX}/bin/transmit\")
    set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/${file}\")
    message(STATUS \"Installing: \${target}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/dist/${file}.in\" \"\${target}\" @ONLY)
  ")
endforeach()
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
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus-daemon")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dbus-user-session")
include(CPack)
