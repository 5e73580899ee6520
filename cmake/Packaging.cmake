# What `cmake --install` puts on a machine, and the Debian packages CPack makes of it (scripts/package.sh): the
# window in `kelvane` (with Qt), and everything that runs without Qt in `kelvane-tools`: kelvane-cli, kxrsim and
# the pieces operators install around the watcher (systemd units, udev rule, alerting rules, dashboard).

include(GNUInstallDirs)

set(KELVANE_APP_ID com.telquine.kelvane)
set(KELVANE_PACKAGE_FILES ${PROJECT_BINARY_DIR}/packaging)

if(TARGET kelvane)
  install(TARGETS kelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
endif()
foreach(program kelvane-cli kxrsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
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
# Each package carries its own copyright and changelog, as Debian wants.
set(KELVANE_PACKAGE_OF_window kelvane)
set(KELVANE_PACKAGE_OF_tools kelvane-tools)
set(KELVANE_MANUAL_OF_window kelvane)
set(KELVANE_MANUAL_OF_tools kelvane-cli kxrsim)
foreach(component window tools)
  set(KELVANE_CHANGELOG_PACKAGE ${KELVANE_PACKAGE_OF_${component}})
  set(docs ${CMAKE_INSTALL_DATADIR}/doc/${KELVANE_CHANGELOG_PACKAGE})
  if(KELVANE_GZIP)
    foreach(page ${KELVANE_MANUAL_OF_${component}})
      kelvane_gzipped_copy(${PROJECT_SOURCE_DIR}/packaging/man/${page}.1.in ${KELVANE_PACKAGE_FILES}/${page}.1)
      list(APPEND KELVANE_GENERATED_FILES ${KELVANE_PACKAGE_FILES}/${page}.1.gz)
      install(FILES ${KELVANE_PACKAGE_FILES}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${component})
    endforeach()
    set(changelog ${KELVANE_PACKAGE_FILES}/${KELVANE_CHANGELOG_PACKAGE}/changelog)
    kelvane_gzipped_copy(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${changelog})
    list(APPEND KELVANE_GENERATED_FILES ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${docs} COMPONENT ${component})
  endif()
  install(FILES packaging/copyright DESTINATION ${docs} COMPONENT ${component})
endforeach()

# Around the watcher: its units (their user is made by the postinst), the adapters' latency, the alerts and the dashboard.
install(FILES packaging/systemd/kelvane-watch@.service packaging/systemd/kelvane-watch-all.service
  DESTINATION /lib/systemd/system COMPONENT tools)
install(FILES packaging/udev/60-kelvane-usb-serial-latency.rules DESTINATION /lib/udev/rules.d COMPONENT tools)
install(FILES packaging/prometheus/kelvane.rules.yml DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvane/prometheus
  COMPONENT tools)
install(FILES packaging/grafana/kelvane-dashboard.json DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvane/grafana
  COMPONENT tools)
# The window's Help > Using the window shows its section "The window".
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvane COMPONENT window)

if(TARGET kelvane)
  install(FILES packaging/${KELVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT window)
  install(FILES packaging/${KELVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    COMPONENT window)
  install(FILES res/art/icon-127.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${KELVANE_APP_ID}.svg COMPONENT window)
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
      install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        COMPONENT window)
    endforeach()
  endif()
endif()
add_custom_target(kelvane_package_files ALL DEPENDS ${KELVANE_GENERATED_FILES})

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(TARGET kelvane)
  set(CPACK_COMPONENTS_ALL window tools)
else()
  set(CPACK_COMPONENTS_ALL tools)
endif()
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Telquine)
set(CPACK_PACKAGE_CONTACT "Kelvane developers <kelvane@telquine.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME kelvane)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "control program of the KXRRack DVB-T head-end
Kelvane finds a KXRRack on the serial ports and shows its modules: satellite
inputs, the file player, common-interface modules holding CAMs and COFDM
outputs. It configures module pairs and the network information sent on air,
watches lock, signal and bit-rates, answers CAM menus, upgrades firmware, and
saves and uploads the configuration of the whole rack.

This package holds the window (kelvane); kelvane-cli and kxrsim are in
kelvane-tools.")
# Beyond the libraries dpkg-shlibdeps finds: the window's X11 platform plug-in, and the metric-compatible fonts
# its dialog layouts are measured with.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, kelvane-tools (= ${PROJECT_VERSION})")
# Qt's own dialog texts in the operator's language.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "qt6-translations-l10n")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME kelvane-tools)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "KXRRack DVB-T head-end tools for scripts and monitoring, without Qt
kelvane-cli is the core of Kelvane for scripts: it finds a KXRRack on serial
ports or serial servers, lists, saves, uploads and compares configurations,
sets parameters, answers CAM menus, upgrades firmware and watches racks for
Prometheus. kxrsim simulates a rack on a pseudo-terminal.

Also: systemd units for the watcher (kelvane-watch@.service per rack,
kelvane-watch-all.service), a udev rule setting USB serial adapters' latency
timer to 1 ms, Prometheus alerting rules and a Grafana dashboard.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "adduser")
# kelvane-cli and kxrsim were in kelvane before the window had a package of its own.
set(CPACK_DEBIAN_TOOLS_PACKAGE_REPLACES "kelvane (<= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SUGGESTS "prometheus-node-exporter, prometheus, ser2net")
configure_file(packaging/tools.postinst.in ${KELVANE_PACKAGE_FILES}/tools/postinst @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_TOOLS_PACKAGE_CONTROL_EXTRA ${KELVANE_PACKAGE_FILES}/tools/postinst)
include(CPack)
