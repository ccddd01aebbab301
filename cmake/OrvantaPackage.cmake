# The Debian packages (cpack -G DEB, run by scripts/package): "orvanta" for users, and
# "orvanta-cardsim", the virtual card, for developers and demonstrations.
include(GNUInstallDirs)

set(_packages orvanta cardsim)
set(_package_name_orvanta orvanta)
set(_package_name_cardsim orvanta-cardsim)

# Each package carries its copyright and its changelog, compressed as Debian keeps them.
foreach(_component IN LISTS _packages)
  set(_name ${_package_name_${_component}})
  set(_changelog ${CMAKE_BINARY_DIR}/packaging/${_name}/changelog.gz)
  add_custom_command(OUTPUT ${_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/${_name}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the changelog of ${_name}")
  add_custom_target(${_name}_changelog ALL DEPENDS ${_changelog})
  install(FILES packaging/copyright ${_changelog}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${_name} COMPONENT ${_component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR "The Orvanta developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvanta developers <developers@orvanta.org>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${_packages})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The installed tree's folders as Debian has them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_ORVANTA_PACKAGE_NAME orvanta)
set(CPACK_DEBIAN_ORVANTA_PACKAGE_SECTION utils)
# Qt finds its display plugins at run time, so the libraries' dependencies do not name them.
set(CPACK_DEBIAN_ORVANTA_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_ORVANTA_PACKAGE_RECOMMENDS "gpsd-clients")
set(CPACK_DEBIAN_ORVANTA_PACKAGE_SUGGESTS "orvanta-cardsim")
# CPack indents the lines after the synopsis and marks the empty one as Debian wants.
set(CPACK_DEBIAN_ORVANTA_DESCRIPTION
"GPS receiver of a WWAN modem card, from the tray
Orvanta switches the GPS receiver of a WWAN modem card on and off from the
system tray, shows where its position data comes from and opens web maps at
the position. orvanta-gps does the same from the command line, watches and
records positions (GPX, NMEA) and serves them to map programs over the usual
JSON position protocol on 127.0.0.1:2947, also as a user service.
orvanta-modem shows the card's SIM, radio and network from the command line,
enters, changes and switches the SIM's PIN, switches the radio, scans for
networks and selects one.

The card's serial ports belong to the group dialout: its members may use them.")

set(CPACK_DEBIAN_CARDSIM_PACKAGE_NAME orvanta-cardsim)
set(CPACK_DEBIAN_CARDSIM_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_CARDSIM_DESCRIPTION
"virtual WWAN modem card for Orvanta
orvanta-cardsim plays a WWAN modem card with a GPS receiver on
pseudo-terminals: detection, the AT dialogue, a network and NMEA positions
walking a track, with faults on command. Orvanta's tools use it in place of
a card when started with ORVANTA_DEVICES=sim, for development, tests and
demonstrations.")

include(CPack)
