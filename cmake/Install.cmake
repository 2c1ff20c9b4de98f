# Installs the program as a desktop application: launcher, icons, AppStream metadata, manual page.
# debian/ packs what these rules install.
include(GNUInstallDirs)

set(COLLATZ_HOMEPAGE_URL "https://github.com/collatz/collatz"
    CACHE STRING "The project's home page, in the metadata")
set(COLLATZ_SCREENSHOT_URL "https://raw.githubusercontent.com/collatz/collatz/main/docs"
    CACHE STRING "Where the published screenshots of the metadata are found")

set(COLLATZ_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(COLLATZ_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(COLLATZ_CHIME_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/collatz)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- Files made from templates and at build time ---------------------------------------------

# The release's date is its changelog entry's, never the day of the build, so that two builds of
# one release write the same metadata and manual page.
file(STRINGS ${CMAKE_SOURCE_DIR}/debian/changelog release_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- .*>  " "" release_time "${release_trailer}")
execute_process(
  COMMAND env LC_ALL=C date -u -d "${release_time}" "+%Y-%m-%d;%B %Y"
  OUTPUT_VARIABLE release_date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
list(GET release_date 0 COLLATZ_RELEASE_DATE)
list(GET release_date 1 COLLATZ_RELEASE_MONTH)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/debian/changelog)

set(COLLATZ_METAINFO ${COLLATZ_PACKAGING_OUT}/${COLLATZ_APP_ID}.metainfo.xml)
configure_file(${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.metainfo.xml.in ${COLLATZ_METAINFO} @ONLY)
configure_file(${COLLATZ_PACKAGING_DIR}/collatz.1.in ${COLLATZ_PACKAGING_OUT}/collatz.1 @ONLY)

set(COLLATZ_DESKTOP_TEMPLATE ${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.desktop.in)

# The 32 x 32 icon is the program's own window icon, written by tools/icon_png_main.cpp.
set(COLLATZ_ICON_PNG ${COLLATZ_PACKAGING_OUT}/${COLLATZ_APP_ID}.png)
add_custom_command(
  OUTPUT ${COLLATZ_ICON_PNG}
  COMMAND collatz-icon-png ${COLLATZ_ICON_PNG}
  DEPENDS collatz-icon-png
  COMMENT "Drawing the 32 x 32 icon"
  VERBATIM)

add_custom_target(packaging_files ALL DEPENDS ${COLLATZ_ICON_PNG})

# --- Install rules ---------------------------------------------------------------------------

install(TARGETS collatz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${COLLATZ_RUN_DIR}/pinpon.wav ${COLLATZ_RUN_DIR}/endpinpon.wav
        DESTINATION ${COLLATZ_CHIME_INSTALL_DIR})
install(FILES ${COLLATZ_ICON_PNG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${COLLATZ_PACKAGING_DIR}/${COLLATZ_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${COLLATZ_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${COLLATZ_PACKAGING_OUT}/collatz.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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
