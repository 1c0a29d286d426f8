# Everything the Debian package holds beyond the panel itself (desktop.cmake) and the udev rules
# (udev.cmake): the other programs, man pages, AppStream metainfo, the package's documents, and
# the CPack settings that make the .deb (cpack --preset package).
include(GNUInstallDirs)

# The programs beside the panel; vexiloctl only in builds that have it.
foreach(program vexilo-sim vexiloctl)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# Release date of this version: the man pages' date and the changelog's, so that the same
# sources always make the same package.
set(VEXILO_RELEASE_DATE "2026-12-09")
set(VEXILO_RELEASE_EPOCH 1796774400)  # ${VEXILO_RELEASE_DATE} 00:00 UTC
set(VEXILO_PACKAGE_MAINTAINER "Vexilo Panel maintainers <vexilo-panel@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(package_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(package_out ${PROJECT_BINARY_DIR}/packaging/linux)

# Man pages from each program's own --help and --version, so they cannot drift from them.
option(VEXILO_MAN_PAGES "Make man pages with help2man" OFF)
if(VEXILO_MAN_PAGES)
    find_program(HELP2MAN help2man REQUIRED)
    set(man_pages "")
    foreach(entry "vexilo-panel|control panel for KTP/Q series USB video converters"
                  "vexilo-sim|simulated video converters on pseudo-terminals"
                  "vexiloctl|command-line control of KTP/Q series USB video converters")
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 summary)
        if(NOT TARGET ${program})
            continue()
        endif()
        set(page ${package_out}/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${package_out}/man
            COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}>
                    -DNAME=${summary} -DINCLUDE=${package_dir}/man/${program}.h2m -DOUT=${page}
                    -DEPOCH=${VEXILO_RELEASE_EPOCH} -P ${package_dir}/man/make-man-page.cmake
            DEPENDS ${program} ${package_dir}/man/${program}.h2m
                    ${package_dir}/man/make-man-page.cmake
            COMMENT "Man page of ${program}"
            VERBATIM)
        list(APPEND man_pages ${page}.gz)
    endforeach()
    add_custom_target(man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Shell completion of vexiloctl, where the build has it.
if(TARGET vexiloctl AND EXISTS ${PROJECT_SOURCE_DIR}/packaging/linux/vexiloctl.bash-completion)
    install(FILES ${package_dir}/vexiloctl.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vexiloctl)
endif()

# Software centres show the panel from this, and offer it for a plugged-in converter.
configure_file(${package_dir}/org.vexilo.panel.metainfo.xml.in
               ${package_out}/org.vexilo.panel.metainfo.xml @ONLY)
install(FILES ${package_out}/org.vexilo.panel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The package's own documents, as Debian wants them: the copyright and a compressed changelog.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vexilo-panel)
include(${CMAKE_CURRENT_LIST_DIR}/package_docs.cmake)
vexilo_package_docs(${package_dir}/debian/changelog.in ${doc_dir})

# The .deb: dependencies from dpkg-shlibdeps, plus a font for the Japanese texts.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vexilo-panel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vexilo Panel maintainers")
set(CPACK_PACKAGE_CONTACT "${VEXILO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel for KTP/Q series USB video converters")
# The synopsis is the summary above; this is the extended description only.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sets up and monitors small USB video converters (analog RGB, composite NTSC
or DVI in, 3G-SDI out) that appear as USB serial ports: one tab per
attached converter with its live status, its settings and its
identification record.
.
The package holds the panel (vexilo-panel), a converter simulator for
trying the panel without hardware (vexilo-sim), and udev rules that give
the user at the local seat access to the converters and keep ModemManager
away from them.")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${package_dir}/debian/postinst ${package_dir}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
include(CPack)
