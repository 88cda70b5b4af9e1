# Packs the zip and the MSI that the target dist makes; run by the build with
# cmake -P.
#
#   -DBUILD_DIR=   the project's build folder
#   -DSTAGE_DIR=   scratch folder; the tree is laid out in STAGE_DIR/PACKAGE_NAME
#   -DPACKAGE_NAME= the zip's top folder and base name
#   -DZIP=         the zip to write
#   -DCONFIG=      the configuration to install
#   -DGENERATOR=   the generator for the examples' build
#   -DOPTIONS=     further options for configuring the examples, separated by |
#   -DMSI=         the Windows Installer package to write, from the same tree
#   -DMSI_VERSION= its product version
#   -DWIXL= -DMSIBUILD=  the msitools programs that build it
#   -DARCH=        win32 or win64, the build's architecture
#   -DTREE32=      win64: the 32-bit build's staged tree, which the MSI carries too
#
# With BRELMOX_SIGN_PFX in the environment (BrelmoxSign.cmake) the trees'
# Windows binaries are signed before they are packed, and the MSI after.
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/BrelmoxSign.cmake)

# Runs a step quietly; its output is shown when it fails.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${output}\ndist: failed (${status}): ${command}")
    endif()
endfunction()

set(tree ${STAGE_DIR}/${PACKAGE_NAME})
set(examples_build ${STAGE_DIR}/examples-build)
string(REPLACE "|" ";" options "${OPTIONS}")

brelmox_sign_wanted(sign)
# A failed step leaves no package behind, least of all an unsigned one.
file(REMOVE ${ZIP} ${MSI})
file(REMOVE_RECURSE ${STAGE_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${tree} --config ${CONFIG})

# The C++ examples are built from the tree's own sources against the tree's
# own package, as a user of the zip builds them, and installed beside the DLLs.
run(${CMAKE_COMMAND} -S ${tree}/examples -B ${examples_build} -G ${GENERATOR} ${options}
    -DCMAKE_BUILD_TYPE=${CONFIG} -DBrelmoxLib_DIR=${tree}/lib/cmake/BrelmoxLib)
run(${CMAKE_COMMAND} --build ${examples_build} --config ${CONFIG})
run(${CMAKE_COMMAND} --install ${examples_build} --prefix ${tree} --config ${CONFIG})

# The win64 MSI's 32-bit files: a copy of the 32-bit build's tree, which
# is signed with the rest.
set(tree32 "")
if(ARCH STREQUAL "win64")
    if(NOT EXISTS "${TREE32}/bin/BrelmoxCOM.dll")
        message(FATAL_ERROR "dist: the win64 MSI needs the 32-bit build's staged tree, and "
                            "\"${TREE32}\" is none: run the 32-bit build's dist step first")
    endif()
    get_filename_component(name32 ${TREE32} NAME)
    set(tree32 ${STAGE_DIR}/${name32})
    file(COPY ${TREE32}/ DESTINATION ${tree32})
endif()

# Signed where they lie, so that the zip and the MSI carry the same signed files.
if(sign)
    brelmox_pe_files(binaries ${tree})
    if(tree32)
        brelmox_pe_files(binaries32 ${tree32})
        list(APPEND binaries ${binaries32})
    endif()
    if(NOT binaries)
        message(FATAL_ERROR "dist: ${tree} holds no Windows binaries to sign")
    endif()
    brelmox_sign(${binaries})
    list(LENGTH binaries count)
    message(STATUS "dist: signed ${count} binaries with $ENV{BRELMOX_SIGN_PFX}")
    set(signed " (signed)")
else()
    set(signed "")
endif()

get_filename_component(zip_dir ${ZIP} DIRECTORY)
file(MAKE_DIRECTORY ${zip_dir})
run(${CMAKE_COMMAND} -E chdir ${STAGE_DIR}
    ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${PACKAGE_NAME})
message(STATUS "dist: ${ZIP}${signed}")

include(${CMAKE_CURRENT_LIST_DIR}/msi/BrelmoxMsi.cmake)
brelmox_msi(TREE ${tree} TREE32 "${tree32}" ARCH ${ARCH} VERSION ${MSI_VERSION} MSI ${MSI}
            WIXL ${WIXL} MSIBUILD ${MSIBUILD})
if(sign)
    brelmox_sign(${MSI} DISCARD ${ZIP} ${MSI})
endif()
message(STATUS "dist: ${MSI}${signed}")
