# Tests that run Windows programs under Wine, in prefixes under the build
# folder. CTest starts every Windows test program through the Wine runner,
# tools/wine-run: it is the programs' CMAKE_CROSSCOMPILING_EMULATOR.
#
# Each prefix is made once per test run by a fixture test, which also names
# the Wine release, and its wineserver is stopped by another when the tests
# are done.

set(BRELMOX_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run)
set(BRELMOX_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
# The runner with the suite's prefixes and the build's DLLs; for the test
# programs created from here on.
set(BRELMOX_WINE_COMMAND
    ${BRELMOX_WINE_RUN} --root ${BRELMOX_WINE_ROOT} --dll-dir ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRELMOX_WINE_COMMAND} --)

foreach(arch win32 win64)
    add_test(NAME wine.prefix.${arch}.setup COMMAND ${BRELMOX_WINE_COMMAND} --arch ${arch} --setup)
    add_test(NAME wine.prefix.${arch}.shutdown
        COMMAND ${BRELMOX_WINE_COMMAND} --arch ${arch} --shutdown)
    set_tests_properties(wine.prefix.${arch}.setup PROPERTIES FIXTURES_SETUP wine_${arch} TIMEOUT 300)
    set_tests_properties(wine.prefix.${arch}.shutdown PROPERTIES FIXTURES_CLEANUP wine_${arch})
endforeach()

# What a test needs to run as <windows> in the <arch> prefix: the fixture that
# makes the prefix and the runner's setting, in `out`.
function(brelmox_wine_properties out arch windows)
    set(properties FIXTURES_REQUIRED wine_${arch})
    if(windows OR NOT arch STREQUAL "win32")
        list(APPEND properties ENVIRONMENT "BRELMOX_WINE_WINDOWS=${windows}/${arch}")
    endif()
    set(${out} ${properties} PARENT_SCOPE)
endfunction()

# brelmox_add_wine_test(<name> [ARCH win32|win64] [WINDOWS <version>]
#                       [COMMAND] <program or target> [args...])
# One test that runs a Windows program, a test program of ours or one of the
# prefix's own (regsvr32, cscript), once.
function(brelmox_add_wine_test name)
    cmake_parse_arguments(ARG "" "ARCH;WINDOWS" "COMMAND" ${ARGN})
    list(APPEND ARG_COMMAND ${ARG_UNPARSED_ARGUMENTS})
    if(NOT ARG_ARCH)
        set(ARG_ARCH win32)
    endif()
    list(POP_FRONT ARG_COMMAND program)
    if(TARGET ${program})
        add_test(NAME ${name} COMMAND ${program} ${ARG_COMMAND})
    else()
        add_test(NAME ${name} COMMAND ${BRELMOX_WINE_COMMAND} -- ${program} ${ARG_COMMAND})
    endif()
    brelmox_wine_properties(properties ${ARG_ARCH} "${ARG_WINDOWS}")
    set_tests_properties(${name} PROPERTIES ${properties})
endfunction()
