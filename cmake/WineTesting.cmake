# Tests that run Windows programs under Wine, in prefixes under the build folder.
#
# Each prefix is made once per build by a fixture test and its wineserver is
# stopped by another when the tests are done.

set(BRELMOX_WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/wine-run)
set(BRELMOX_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)

foreach(arch win32 win64)
    add_test(NAME wine.prefix.${arch}.setup COMMAND ${BRELMOX_WINE_RUN} --arch ${arch} --setup)
    add_test(NAME wine.prefix.${arch}.shutdown COMMAND ${BRELMOX_WINE_RUN} --arch ${arch} --shutdown)
    set_tests_properties(wine.prefix.${arch}.setup PROPERTIES
        FIXTURES_SETUP wine_${arch} ENVIRONMENT "BRELMOX_WINE_ROOT=${BRELMOX_WINE_ROOT}"
        TIMEOUT 300)
    set_tests_properties(wine.prefix.${arch}.shutdown PROPERTIES
        FIXTURES_CLEANUP wine_${arch} ENVIRONMENT "BRELMOX_WINE_ROOT=${BRELMOX_WINE_ROOT}")
endforeach()

# brelmox_add_wine_test(<name> [ARCH win32|win64] [WINDOWS <version>]
#                       [RESOURCE_LOCK <lock>...] [ENVIRONMENT <var=value>...]
#                       [COMMAND] <program or target> [args...])
function(brelmox_add_wine_test name)
    cmake_parse_arguments(ARG "" "ARCH;WINDOWS" "COMMAND;RESOURCE_LOCK;ENVIRONMENT" ${ARGN})
    list(APPEND ARG_COMMAND ${ARG_UNPARSED_ARGUMENTS})
    if(NOT ARG_ARCH)
        set(ARG_ARCH win32)
    endif()
    list(POP_FRONT ARG_COMMAND program)
    if(TARGET ${program})
        set(program $<TARGET_FILE:${program}>)
    endif()
    set(options --arch ${ARG_ARCH})
    if(ARG_WINDOWS)
        list(APPEND options --windows ${ARG_WINDOWS})
    endif()
    add_test(NAME ${name} COMMAND ${BRELMOX_WINE_RUN} ${options} -- ${program} ${ARG_COMMAND})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine_${ARG_ARCH}
        ENVIRONMENT "BRELMOX_WINE_ROOT=${BRELMOX_WINE_ROOT};BRELMOX_WINE_DLLDIR=${CMAKE_BINARY_DIR}/bin;${ARG_ENVIRONMENT}")
    if(ARG_RESOURCE_LOCK)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${ARG_RESOURCE_LOCK}")
    endif()
endfunction()
