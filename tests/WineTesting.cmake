# Tests that run Windows programs under Wine, in prefixes under the build
# folder. CTest starts every Windows test program through the Wine runner,
# tools/wine-run: it is the programs' CMAKE_CROSSCOMPILING_EMULATOR.
#
# Each prefix is made once per test run by a fixture test, which also names
# the Wine release, and its wineserver is stopped by another when the tests
# are done.

set(BRELMOX_WINE_RUN ${PROJECT_SOURCE_DIR}/tools/wine-run)
set(BRELMOX_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
# The build's programs run in the prefix of their architecture; 64-bit ones
# start with Wine's 64-bit loader, which also starts the prefix's own programs
# (regsvr32, cscript) as their 64-bit versions. (A 32-bit build's tests name
# the 64-bit prefix themselves where they run under WOW64.)
if(BRELMOX_ARCH STREQUAL "win64")
    set(BRELMOX_WINE_LOADER --arch win64 --wine64)
    # The same for the tests that are scripts, which call the runner themselves
    # (their ENVIRONMENT carries this list).
    set(BRELMOX_WINE_ENVIRONMENT "BRELMOX_WINE_ARCH=win64;BRELMOX_WINE_LOADER=wine64")
else()
    set(BRELMOX_WINE_LOADER "")
    set(BRELMOX_WINE_ENVIRONMENT BRELMOX_WINE_ARCH=win32)
endif()
# The runner with the suite's prefixes and the build's DLLs; for the test
# programs created from here on.
set(BRELMOX_WINE_COMMAND
    ${BRELMOX_WINE_RUN} --root ${BRELMOX_WINE_ROOT} --dll-dir ${CMAKE_BINARY_DIR}/bin
    ${BRELMOX_WINE_LOADER})
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRELMOX_WINE_COMMAND} --)

# brelmox_wine_prefix_fixture(<fixture> <arch> <root>): the fixture whose setup
# makes the prefix of <arch> in <root> and keeps its wineserver up, and whose
# cleanup stops it.
function(brelmox_wine_prefix_fixture fixture arch root)
    set(run ${BRELMOX_WINE_RUN} --root ${root} --arch ${arch})
    add_test(NAME ${fixture}.setup COMMAND ${run} --setup)
    add_test(NAME ${fixture}.shutdown COMMAND ${run} --shutdown)
    set_tests_properties(${fixture}.setup PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 300)
    set_tests_properties(${fixture}.shutdown PROPERTIES FIXTURES_CLEANUP ${fixture})
endfunction()

foreach(arch win32 win64)
    brelmox_wine_prefix_fixture(wine_${arch} ${arch} ${BRELMOX_WINE_ROOT})
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

# brelmox_add_wine_test(<name> [ARCH win32|win64] [WINDOWS <version>] (ARCH: the build's)
#                       [COMMAND] <program or target> [args...])
# One test that runs a Windows program, a test program of ours or one of the
# prefix's own (regsvr32, cscript), once.
function(brelmox_add_wine_test name)
    cmake_parse_arguments(ARG "" "ARCH;WINDOWS" "COMMAND" ${ARGN})
    list(APPEND ARG_COMMAND ${ARG_UNPARSED_ARGUMENTS})
    if(NOT ARG_ARCH)
        set(ARG_ARCH ${BRELMOX_ARCH})
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
