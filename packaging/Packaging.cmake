# The installed program: the programs in bin, a menu entry with its icon, the licence; and the
# Debian package built from that install (cpack -G DEB in the build folder).
include(GNUInstallDirs)

set(slm_installed_programs slm-panel slm-sim)
if(TARGET slm-report)
  list(APPEND slm_installed_programs slm-report)
  # slm-report's PDF writer: a program slm-report starts, not one for the command line.
  install(TARGETS slm-report-pdf RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/slm-panel)
endif()
if(TARGET slm-station)
  list(APPEND slm_installed_programs slm-station)
  # Installed, not enabled: a station is set up on purpose (see slm-station(1)).
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/slm-station.service DESTINATION lib/systemd/system)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/slm-station.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/slm-panel.1 ${PROJECT_SOURCE_DIR}/docs/man/slm-report.1
  ${PROJECT_SOURCE_DIR}/docs/man/slm-sim.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(TARGETS ${slm_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slm-panel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slm-panel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The monitoring stack's configuration (MQTT exporter, Prometheus, Telegraf), copied into place by hand.
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/monitoring/ DESTINATION ${CMAKE_INSTALL_DATADIR}/slm-panel/monitoring)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/slm-panel RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME slm-panel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop companion of a handheld sound level meter")
set(CPACK_PACKAGE_DESCRIPTION
  "Shows the meter's live panel, records levels to files, downloads the data logger and analyses record files.")
set(CPACK_PACKAGE_CONTACT "Maintainer <maintainer@example.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# dpkg-shlibdeps names the Qt 6 and QCustomPlot runtime packages the programs are linked with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The menu entry's icon theme.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
# The station publishes to a broker; the clients watch it; the monitoring stack stores and alerts.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto, mosquitto-clients, prometheus, prometheus-mqtt-exporter, telegraf")
include(CPack)
