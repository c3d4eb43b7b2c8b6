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
  list(APPEND slm_manual_pages slm-station)
endif()
# The manual pages and the changelog go in compressed, as Debian asks: gzip -9n at install time (so
# when the package is made), without a name or a time stamp, so the same page gives the same bytes.
list(APPEND slm_manual_pages slm-panel slm-report slm-sim)
set(slm_manual_dir ${CMAKE_BINARY_DIR}/man)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${slm_manual_dir}/changelog @ONLY)
set(slm_compressed_pages)
foreach(page ${slm_manual_pages})
  list(APPEND slm_compressed_pages ${slm_manual_dir}/${page}.1.gz)
endforeach()
install(CODE "
  file(MAKE_DIRECTORY \"${slm_manual_dir}\")
  foreach(page ${slm_manual_pages})
    execute_process(COMMAND gzip -9n -c \"${PROJECT_SOURCE_DIR}/docs/man/\${page}.1\"
      OUTPUT_FILE \"${slm_manual_dir}/\${page}.1.gz\" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR \"gzip could not compress the manual page \${page}.1\")
    endif()
  endforeach()
  execute_process(COMMAND gzip -9n -c \"${slm_manual_dir}/changelog\"
    OUTPUT_FILE \"${slm_manual_dir}/changelog.gz\")
")
install(FILES ${slm_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${slm_manual_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/slm-panel)
install(TARGETS ${slm_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slm-panel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/slm-panel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Debian's form of the licence: a machine-readable copyright file that points to the system's copy
# of the GPL, and the package's changelog beside it.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/slm-panel)
# The monitoring stack's configuration (MQTT exporter, Prometheus, Telegraf), copied into place by hand.
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/monitoring/ DESTINATION ${CMAKE_INSTALL_DATADIR}/slm-panel/monitoring)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME slm-panel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop companion of a handheld sound level meter")
set(CPACK_PACKAGE_DESCRIPTION "Shows the meter's live panel, records levels to files, downloads the data
logger and analyses record files.")
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
