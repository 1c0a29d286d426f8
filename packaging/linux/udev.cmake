# The converters' udev rules, generated with this build's vendor ID and installed for udev.
# sysfs shows USB IDs in lower case, and udev compares attributes case-sensitively.
#
# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d, never <prefix>/lib/udev/rules.d for
# another prefix: an install under /usr (the package) puts the rules with the system's, any other
# prefix (such as the default /usr/local) puts them where the administrator's rules go.
set(VEXILO_UDEV_RULES_DIR "" CACHE STRING
    "Where cmake --install puts 60-vexilo.rules (empty: chosen from the install prefix)")
if(VEXILO_UDEV_RULES_DIR)
    set(vexilo_udev_rules_dir "${VEXILO_UDEV_RULES_DIR}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(vexilo_udev_rules_dir "lib/udev/rules.d")
else()
    set(vexilo_udev_rules_dir "/etc/udev/rules.d")
endif()
string(TOLOWER "${VEXILO_USB_VENDOR_ID}" VEXILO_USB_VENDOR_ID_LOWER)
configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/60-vexilo.rules.in
               ${PROJECT_BINARY_DIR}/packaging/linux/60-vexilo.rules @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/linux/60-vexilo.rules
        DESTINATION ${vexilo_udev_rules_dir})
