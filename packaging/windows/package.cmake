# The Windows installer (NSIS, through CPack): the panel and vexiloctl, the panel's Start menu
# entry and an uninstaller; and the same programs as a portable zip, to run from any folder.
# Made on Linux as on Windows: cmake --preset mingw, cmake --build --preset mingw, then
# cpack --config build/mingw/CPackConfig.cmake (tools/windows-package.sh builds and tries it).
install(TARGETS vexilo-panel RUNTIME DESTINATION .)
if(TARGET vexiloctl)
    install(TARGETS vexiloctl RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_STRIP_FILES ON)  # the debug information stays in the build
set(CPACK_PACKAGE_NAME "VexiloPanel")
set(CPACK_PACKAGE_VENDOR "Vexilo Panel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Vexilo Panel")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "VexiloPanel")
set(CPACK_PACKAGE_EXECUTABLES "vexilo-panel" "Vexilo Panel")
# A 64-bit program: a 64-bit Unicode installer that installs under "Program Files".
set(CPACK_SYSTEM_NAME win64)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# makensis targets 32-bit ANSI by default: a wrapper sets the target before the script (made on
# Linux only so far).
set(CPACK_NSIS_EXECUTABLE "${CMAKE_CURRENT_LIST_DIR}/makensis-amd64.sh")
set(CPACK_NSIS_DISPLAY_NAME "Vexilo Panel")
set(CPACK_NSIS_PACKAGE_NAME "Vexilo Panel ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/res/vexilo.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/res/vexilo.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "vexilo-panel.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_PACKAGE_FILE_NAME "vexilo-panel-${PROJECT_VERSION}-win64")
include(CPack)
