# The Debian package of the command line alone, without Qt, for headless rack PCs: vexiloctl
# (with its Ember+ provider), its man page and bash completion, the Ember+ systemd unit (not
# enabled) and the udev rules (cpack --preset package-cli, in a build without the UI). It conflicts
# with the panel's package, which holds the same program and rules.
include(GNUInstallDirs)

set(VEXILO_RELEASE_EPOCH 1796774400)  # the release date's 00:00 UTC, as package.cmake's
set(VEXILO_PACKAGE_MAINTAINER "Vexilo Panel maintainers <vexilo-panel@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(package_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(package_out ${PROJECT_BINARY_DIR}/packaging/linux)

find_program(HELP2MAN help2man REQUIRED)
set(page ${package_out}/man/vexiloctl.1)
add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_out}/man
    COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:vexiloctl>
            "-DNAME=command-line control of KTP/Q series USB video converters"
            -DINCLUDE=${package_dir}/man/vexiloctl.h2m -DOUT=${page}
            -DEPOCH=${VEXILO_RELEASE_EPOCH} -P ${package_dir}/man/make-man-page.cmake
    DEPENDS vexiloctl ${package_dir}/man/vexiloctl.h2m ${package_dir}/man/make-man-page.cmake
    COMMENT "Man page of vexiloctl"
    VERBATIM)
add_custom_target(man_pages ALL DEPENDS ${page}.gz)
install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${package_dir}/vexiloctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vexiloctl)
# Debian 12 keeps the units of packages in /lib/systemd/system.
install(FILES ${PROJECT_SOURCE_DIR}/contrib/systemd/vexilo-ember.service
        DESTINATION /lib/systemd/system)

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vexiloctl)
include(${CMAKE_CURRENT_LIST_DIR}/package_docs.cmake)
vexilo_package_docs(${package_dir}/vexiloctl/changelog.in ${doc_dir})

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vexiloctl")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vexilo Panel maintainers")
set(CPACK_PACKAGE_CONTACT "${VEXILO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-line control of KTP/Q series USB video converters")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads and changes the settings of small USB video converters (analog RGB,
composite NTSC or DVI in, 3G-SDI out) that appear as USB serial ports, from
a shell or a script, and serves them to Ember+ consumers (broadcast control
systems, hardware panels) with vexiloctl serve.
.
This package needs no desktop: it holds vexiloctl, a systemd unit for its
Ember+ provider (not enabled) and udev rules that keep ModemManager away from
the converters. The panel's package (vexilo-panel) holds the same program
with the graphical panel.")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONFLICTS "vexilo-panel")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${package_dir}/vexiloctl/postinst
    ${package_dir}/vexiloctl/prerm ${package_dir}/vexiloctl/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
include(CPack)
