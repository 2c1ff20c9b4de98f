# Installs the program as a desktop application: launcher, icons, AppStream metadata, manual page.
# debian/ packs what these rules install.
include(GNUInstallDirs)

# The project has no address of its own yet: a packager who publishes the program somewhere may
# name it, and the screenshots published there, and the metadata lists them; by default it lists
# neither rather than an address nobody answers at.
set(COLLATZ_HOMEPAGE_URL "" CACHE STRING "The program's home page, for the metadata (none if empty)")
set(COLLATZ_SCREENSHOT_URL "" CACHE STRING
    "Where docs/screenshot-*.png are published, for the metadata (none listed if empty)")

set(COLLATZ_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(COLLATZ_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(COLLATZ_CHIME_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/collatz)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# --- Files made from templates and at build time ---------------------------------------------

# The manual page dates the release by its month, named in English whatever the build's locale.
if(NOT COLLATZ_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-[0-9][0-9]$")
  message(FATAL_ERROR "COLLATZ_RELEASE_DATE is '${COLLATZ_RELEASE_DATE}', not YYYY-MM-DD")
endif()
set(release_year ${CMAKE_MATCH_1})
math(EXPR release_month_index "${CMAKE_MATCH_2} - 1")
set(months January February March April May June July August September October November December)
list(GET months ${release_month_index} release_month_name)
set(COLLATZ_RELEASE_MONTH "${release_month_name} ${release_year}")

# The optional parts of the metadata, each placed after the element before it.
set(COLLATZ_METAINFO_HOMEPAGE "")
if(COLLATZ_HOMEPAGE_URL)
  set(COLLATZ_METAINFO_HOMEPAGE "\n  <url type=\"homepage\">${COLLATZ_HOMEPAGE_URL}</url>")
endif()
set(COLLATZ_METAINFO_SCREENSHOTS "")
if(COLLATZ_SCREENSHOT_URL)
  string(CONCAT COLLATZ_METAINFO_SCREENSHOTS "\n  <screenshots>"
    "\n    <screenshot type=\"default\">"
    "\n      <caption>The trajectory of the start value 27</caption>"
    "\n      <image type=\"source\" width=\"698\" height=\"504\">"
    "${COLLATZ_SCREENSHOT_URL}/screenshot-27.png</image>"
    "\n    </screenshot>"
    "\n    <screenshot>"
    "\n      <caption>The window with its explanation of the problem</caption>"
    "\n      <image type=\"source\" width=\"698\" height=\"504\">"
    "${COLLATZ_SCREENSHOT_URL}/screenshot-start.png</image>"
    "\n    </screenshot>"
    "\n  </screenshots>")
endif()

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
