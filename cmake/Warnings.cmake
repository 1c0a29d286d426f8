# Every warning is an error, in every target of the project.
if(MSVC)
    add_compile_options(/W4 /WX /utf-8)
else()
    add_compile_options(-Wall -Wextra -Wpedantic -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # GCC 12 at -O3 flags libstdc++'s own string concatenation as overlapping memcpy (GCC bug
        # 105651, a false positive); the optimised package build would fail on every "a" + s.
        add_compile_options(-Wno-restrict)
    endif()
endif()
