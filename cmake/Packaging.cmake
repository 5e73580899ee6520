# What `cmake --install` puts on a machine, and the Debian package CPack makes of it (scripts/package.sh).

include(GNUInstallDirs)

set(KELVANE_APP_ID com.telquine.kelvane)
set(KELVANE_PACKAGE_FILES ${PROJECT_BINARY_DIR}/packaging)

foreach(program kelvane kelvane-cli kxrsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Manual pages and the changelog carry the project's version, and Debian wants them compressed without a
# time stamp so that the package is the same from one build to the next.
find_program(KELVANE_GZIP gzip)
function(kelvane_gzipped_copy source output)
  configure_file(${source} ${output} @ONLY)
  add_custom_command(OUTPUT ${output}.gz
    COMMAND ${KELVANE_GZIP} -9nf -k ${output}
    DEPENDS ${output} VERBATIM)
endfunction()

set(KELVANE_GENERATED_FILES)
if(KELVANE_GZIP)
  foreach(page kelvane kelvane-cli kxrsim)
    kelvane_gzipped_copy(${PROJECT_SOURCE_DIR}/packaging/man/${page}.1.in ${KELVANE_PACKAGE_FILES}/${page}.1)
    list(APPEND KELVANE_GENERATED_FILES ${KELVANE_PACKAGE_FILES}/${page}.1.gz)
    install(FILES ${KELVANE_PACKAGE_FILES}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  kelvane_gzipped_copy(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${KELVANE_PACKAGE_FILES}/changelog)
  list(APPEND KELVANE_GENERATED_FILES ${KELVANE_PACKAGE_FILES}/changelog.gz)
  install(FILES ${KELVANE_PACKAGE_FILES}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvane)
endif()
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvane)
# The window's Help > Using the window shows its section "The window".
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvane)

if(TARGET kelvane)
  install(FILES packaging/${KELVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/${KELVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES res/art/icon-127.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${KELVANE_APP_ID}.svg)
  # Menus that do not draw SVG take these; the 16-pixel icon has its own drawing, clearer at that size.
  find_program(KELVANE_RSVG rsvg-convert)
  if(KELVANE_RSVG)
    foreach(size 16 22 24 32 48 64 128 256)
      set(source ${PROJECT_SOURCE_DIR}/res/art/icon-127.svg)
      if(size LESS 24)
        set(source ${PROJECT_SOURCE_DIR}/res/art/icon-127-16.svg)
      endif()
      set(png ${KELVANE_PACKAGE_FILES}/icons/${size}x${size}/${KELVANE_APP_ID}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVANE_PACKAGE_FILES}/icons/${size}x${size}
        COMMAND ${KELVANE_RSVG} -w ${size} -h ${size} -o ${png} ${source}
        DEPENDS ${source} VERBATIM)
      list(APPEND KELVANE_GENERATED_FILES ${png})
      install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
  endif()
endif()
add_custom_target(kelvane_package_files ALL DEPENDS ${KELVANE_GENERATED_FILES})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Telquine)
set(CPACK_PACKAGE_CONTACT "Kelvane developers <kelvane@telquine.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program of the KXRRack DVB-T head-end")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kelvane finds a KXRRack on the serial ports and shows its modules: satellite
inputs, the file player, common-interface modules holding CAMs and COFDM
outputs. It configures module pairs and the network information sent on air,
watches lock, signal and bit-rates, answers CAM menus, upgrades firmware, and
saves and uploads the configuration of the whole rack.

The package holds the window (kelvane), the same core for scripts
(kelvane-cli) and a simulated rack on a pseudo-terminal (kxrsim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries dpkg-shlibdeps finds: the window's X11 platform plug-in, and the metric-compatible fonts
# its dialog layouts are measured with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
# Qt's own dialog texts in the operator's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
