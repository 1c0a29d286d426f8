# The converters' udev rules, generated with this build's vendor ID and installed for udev.
# sysfs shows USB IDs in lower case, and udev compares attributes case-sensitively.
set(VEXILO_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where cmake --install puts 60-vexilo.rules; a relative path is under the install prefix")
string(TOLOWER "${VEXILO_USB_VENDOR_ID}" VEXILO_USB_VENDOR_ID_LOWER)
configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/60-vexilo.rules.in
               ${PROJECT_BINARY_DIR}/packaging/linux/60-vexilo.rules @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/linux/60-vexilo.rules
        DESTINATION ${VEXILO_UDEV_RULES_DIR})
