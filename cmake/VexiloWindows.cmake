# The program's resources (res/) and the version text of its window title.
#
# vexilo_version: ProductVersionText(), read from the version resource on Windows and the
# project version elsewhere. vexilo_add_windows_resources(<target>) gives an executable the
# icon, logo, version information and manifest (does nothing off Windows).

if(WIN32)
    enable_language(RC)
endif()

string(REPLACE "." "," VEXILO_VERSION_COMMA "${PROJECT_VERSION}")
configure_file(${PROJECT_SOURCE_DIR}/res/vexilo_version.h.in
               ${PROJECT_BINARY_DIR}/res/vexilo_version.h @ONLY)

if(WIN32)
    add_library(vexilo_version STATIC ${PROJECT_SOURCE_DIR}/src/app/version_win32.cpp)
    target_link_libraries(vexilo_version PRIVATE version)
else()
    add_library(vexilo_version STATIC ${PROJECT_SOURCE_DIR}/src/app/version_posix.cpp)
    target_compile_definitions(vexilo_version PRIVATE VEXILO_VERSION_TEXT="${PROJECT_VERSION}")
endif()
target_include_directories(vexilo_version PUBLIC ${PROJECT_SOURCE_DIR}/src)

function(vexilo_add_windows_resources target)
    if(NOT WIN32)
        return()
    endif()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/res/vexilo.rc)
    target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/res ${PROJECT_SOURCE_DIR}/res)
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/res/vexilo.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${PROJECT_SOURCE_DIR}/res/vexilo.ico ${PROJECT_SOURCE_DIR}/res/logo.bmp
                 ${PROJECT_SOURCE_DIR}/res/vexilo.manifest ${PROJECT_BINARY_DIR}/res/vexilo_version.h)
    if(MSVC)
        target_link_options(${target} PRIVATE /MANIFEST:NO)  # the .rc carries the manifest
    endif()
endfunction()
