# Installation and the Debian package. Included from the top level after every program's folder,
# so the install rules see all targets.
include(GNUInstallDirs)

# The programs sit together in bin: the console finds navlor-cmd beside its own executable.
# navlor-netlog is the sample installation's network logger: an installation brings its own.
set(NAVLOR_INSTALLED_PROGRAMS navlor navlor-cmd navlor-arj)
install(TARGETS ${NAVLOR_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The program carries its pictures compiled in; the loose copies are the artwork for an
# installation's own screens and documents.
file(GLOB NAVLOR_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/assets/*.jpg)
install(FILES ${NAVLOR_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/navlor/pictures)

install(FILES ${PROJECT_SOURCE_DIR}/assets/navlor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# What Debian asks of every package's documentation: its copyright and its changelog.
set(NAVLOR_CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${NAVLOR_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/debian/changelog > ${NAVLOR_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/debian/changelog
    VERBATIM)
add_custom_target(navlor_changelog ALL DEPENDS ${NAVLOR_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/docs/debian/copyright ${NAVLOR_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual pages, kept as sources in docs/man and installed compressed, as Debian has them.
set(NAVLOR_MAN_PAGES navlor.1 navlor-cmd.1 navlor-arj.1)
set(NAVLOR_MAN_OUTPUTS)
foreach(page IN LISTS NAVLOR_MAN_PAGES)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
    set(output ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9 -n -c ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND NAVLOR_MAN_OUTPUTS ${output})
endforeach()
add_custom_target(navlor_man ALL DEPENDS ${NAVLOR_MAN_OUTPUTS})
install(FILES ${NAVLOR_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# A server without a graphical log-on runs the daily pass from a timer, per user; both units
# come disabled ("systemctl enable --now navlor@USER.timer").
install(FILES ${PROJECT_SOURCE_DIR}/assets/systemd/navlor@.service
              ${PROJECT_SOURCE_DIR}/assets/systemd/navlor@.timer
              ${PROJECT_SOURCE_DIR}/assets/systemd/navlor-failure@.service
        DESTINATION lib/systemd/system)
# What navlor-failure@.service runs; the unit names it by its packaged path.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/assets/systemd/navlor-failure DESTINATION libexec/navlor)
set(NAVLOR_ICON_SIZES 48 128)
foreach(size IN LISTS NAVLOR_ICON_SIZES)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/navlor_icon_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME navlor.png)
endforeach()

# ---- Debian package: cpack in the build directory writes navlor_<version>_<arch>.deb ----------

set(NAVLOR_PACKAGE_MAINTAINER "Equipe NAVLOR <navlor@example.com>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME navlor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${NAVLOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "maintenance console of a small-business file server")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NAVLOR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# cpack puts the summary above this as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "NAVLOR cleans the network files that database clients leave behind
(stale lock files, temporary tables) and runs scheduled ARJ backups of
the system's data, with restore and archive browsing. It works on a
hosted-Windows prefix of drive folders and brings its own command
interpreter (navlor-cmd) and ARJ stand-in (navlor-arj) over Debian's arj.")
# The libraries the programs link and the archiver the backups run; at packaging time
# dpkg-shlibdeps adds the C and C++ runtime with the versions the build needs.
set(NAVLOR_QT_MIN "${Qt6Core_VERSION_MAJOR}.${Qt6Core_VERSION_MINOR}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= ${NAVLOR_QT_MIN}), libqt6gui6 (>= ${NAVLOR_QT_MIN}), \
libqt6widgets6 (>= ${NAVLOR_QT_MIN}), libqt6printsupport6 (>= ${NAVLOR_QT_MIN}), \
libjpeg62-turbo, arj, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_shlibdeps.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
