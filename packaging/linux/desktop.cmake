# The panel on a Linux desktop: the program, its menu entry and its icon.
include(GNUInstallDirs)
install(TARGETS vexilo-panel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/vexilo-panel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The icon at every usual theme size, each drawn at that size, and as vector art, so that no
# desktop scales a bitmap up (tools/make_artwork.py draws them).
set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size 16 22 24 32 48 64 128 256 512)
    set(icon ${PROJECT_SOURCE_DIR}/res/icons/${size}x${size}.png)
    if(size EQUAL 256)
        set(icon ${PROJECT_SOURCE_DIR}/res/vexilo.png)
    endif()
    install(FILES ${icon} DESTINATION ${icon_dir}/${size}x${size}/apps RENAME vexilo-panel.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/scalable.svg DESTINATION ${icon_dir}/scalable/apps
        RENAME vexilo-panel.svg)
