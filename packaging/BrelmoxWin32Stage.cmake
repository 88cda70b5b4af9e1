# The 32-bit files of the win64 MSI: runs the dist step of the 32-bit build in
# BUILD_DIR, with the same signing, and writes STATE (the digests of what it
# packed) only when they changed, so that the x64 build repacks exactly when
# the 32-bit tree changed. Run by the x64 build's target dist:
#
#   cmake -DBUILD_DIR=<32-bit build> -DSTAGE=<its staged tree> -DSTATE=<file> -P BrelmoxWin32Stage.cmake
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/BrelmoxStateFile.cmake)

get_filename_component(name ${STAGE} NAME)
string(CONCAT hint "configure and build it there first (cmake --preset win32 && cmake --build "
       "--preset win32), or point BRELMOX_WIN32_BUILD_DIR at one; tools/make-dist does both")
if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
    message(FATAL_ERROR "dist: the win64 MSI carries the 32-bit build's files, and ${BUILD_DIR} "
                        "holds no configured build: ${hint}")
endif()
file(STRINGS ${BUILD_DIR}/CMakeCache.txt zip REGEX "^BRELMOX_DIST_ZIP:")
string(REGEX REPLACE "^[^=]*=" "" zip "${zip}")
get_filename_component(zip_name "${zip}" NAME_WLE)
if(NOT zip_name STREQUAL name)
    message(FATAL_ERROR "dist: ${BUILD_DIR} packs \"${zip_name}\", not ${name}: the win64 MSI needs "
                        "the 32-bit build of the same version; ${hint}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target dist RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dist: the 32-bit build's dist step in ${BUILD_DIR} failed")
endif()
get_filename_component(dist_dir "${zip}" DIRECTORY)
set(state "")
foreach(package ${zip} ${dist_dir}/${name}.msi)
    file(SHA256 ${package} digest)
    string(APPEND state "${digest} ${package}\n")
endforeach()
brelmox_write_state("${STATE}" "${state}")
