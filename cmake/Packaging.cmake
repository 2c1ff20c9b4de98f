# Installs the program as a desktop application (launcher, icons, AppStream metadata, manual page)
# and packs the installation into a Debian package with CPack.
include(GNUInstallDirs)

set(COLLATZ_RELEASE_DATE 2026-12-07)
set(COLLATZ_MAINTAINER "The collatz developers <collatz@example.org>"
    CACHE STRING "Maintainer of the Debian package: name <address>")
set(COLLATZ_HOMEPAGE_URL "https://github.com/collatz/collatz"
    CACHE STRING "The project's home page, in the metadata and the package")
set(COLLATZ_SCREENSHOT_URL "https://raw.githubusercontent.com/collatz/collatz/main/docs"
    CACHE STRING "Where the published screenshots of the metadata are found")

set(COLLATZ_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(COLLATZ_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(COLLATZ_CHIME_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/collatz)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- Files made from templates and at build time ---------------------------------------------

execute_process(
  COMMAND date -u -R -d "${COLLATZ_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE COLLATZ_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND date -u -d "${COLLATZ_RELEASE_DATE}" "+%B %Y"
  OUTPUT_VARIABLE COLLATZ_RELEASE_MONTH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(COLLATZ_METAINFO ${COLLATZ_PACKAGING_OUT}/${COLLATZ_APP_ID}.metainfo.xml)
configure_file(${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.metainfo.xml.in ${COLLATZ_METAINFO} @ONLY)
configure_file(${COLLATZ_PACKAGING_DIR}/collatz.1.in ${COLLATZ_PACKAGING_OUT}/collatz.1 @ONLY)
configure_file(${COLLATZ_PACKAGING_DIR}/changelog.in ${COLLATZ_PACKAGING_OUT}/changelog @ONLY)

set(COLLATZ_DESKTOP_TEMPLATE ${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.desktop.in)

# The 32 x 32 icon is the program's own window icon, written by tools/icon_png_main.cpp.
set(COLLATZ_ICON_PNG ${COLLATZ_PACKAGING_OUT}/${COLLATZ_APP_ID}.png)
add_custom_command(
  OUTPUT ${COLLATZ_ICON_PNG}
  COMMAND collatz-icon-png ${COLLATZ_ICON_PNG}
  DEPENDS collatz-icon-png
  COMMENT "Drawing the 32 x 32 icon"
  VERBATIM)

# Debian wants the manual page and the changelog compressed, without a time stamp.
foreach(name collatz.1 changelog)
  add_custom_command(
    OUTPUT ${COLLATZ_PACKAGING_OUT}/${name}.gz
    COMMAND gzip -9 -n -f -k ${COLLATZ_PACKAGING_OUT}/${name}
    DEPENDS ${COLLATZ_PACKAGING_OUT}/${name}
    VERBATIM)
endforeach()

add_custom_target(packaging_files ALL
  DEPENDS ${COLLATZ_ICON_PNG} ${COLLATZ_PACKAGING_OUT}/collatz.1.gz
          ${COLLATZ_PACKAGING_OUT}/changelog.gz)

# --- Install rules ---------------------------------------------------------------------------

install(TARGETS collatz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${COLLATZ_RUN_DIR}/pinpon.wav ${COLLATZ_RUN_DIR}/endpinpon.wav
        DESTINATION ${COLLATZ_CHIME_INSTALL_DIR})
install(FILES ${COLLATZ_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${COLLATZ_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${COLLATZ_PACKAGING_OUT}/collatz.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${COLLATZ_PACKAGING_DIR}/copyright ${COLLATZ_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The launcher starts the program in the folder of the chimes, since the program looks them up
# in its current directory; both paths are absolute, under the prefix installed to (which
# `cmake --install --prefix` may choose only now, and which is /usr inside the package).
install(CODE "
  set(COLLATZ_APP_ID [[${COLLATZ_APP_ID}]])
  set(COLLATZ_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/collatz\")
  set(COLLATZ_CHIME_DIR \"\${CMAKE_INSTALL_PREFIX}/${COLLATZ_CHIME_INSTALL_DIR}\")
  # Staged under a name of its own for each destination, since installs may run side by side.
  string(MD5 destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(staged \"${COLLATZ_PACKAGING_OUT}/install/\${destination}/${COLLATZ_APP_ID}.desktop\")
  configure_file([[${COLLATZ_DESKTOP_TEMPLATE}]] \${staged} @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
       TYPE FILE FILES \${staged})
")

# --- The Debian package ----------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME collatz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The collatz developers")
set(CPACK_PACKAGE_CONTACT ${COLLATZ_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "learn the 3x+1 (Collatz) problem by experiment")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${COLLATZ_PACKAGING_DIR}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${COLLATZ_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The explanation and the start value are set in a Japanese proportional Gothic face.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
# Qt's Wayland plugin, so that the window is native on a Wayland desktop, not run through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${COLLATZ_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
