# Authenticode signing of what the target dist packs, asked for by the
# environment when dist runs, never by the configuration (authenticode-sign
# reads the same variables):
#
#   BRELMOX_SIGN_PFX            the PKCS#12 file; unset or empty: nothing is signed
#   BRELMOX_SIGN_PASSWORD       its password
#   BRELMOX_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamp server
#
# Included by BrelmoxDist.cmake. Run on its own, it writes the signing asked
# for (the certificate file, its digest and the time-stamp server; never the
# password) to STATE, and touches STATE only when that changed, so that the
# build repacks when the environment asks for other signing than the
# packages have:
#
#   cmake -DSTATE=<file> -P BrelmoxSign.cmake
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/BrelmoxStateFile.cmake)

set(BRELMOX_SIGN_PROGRAM ${CMAKE_CURRENT_LIST_DIR}/authenticode-sign)

# Sets OUT to whether the environment asks for signing. A password or a
# time-stamp server without a certificate is a mistake, not a wish for
# unsigned packages: it stops.
function(brelmox_sign_wanted out)
    if(NOT "$ENV{BRELMOX_SIGN_PFX}" STREQUAL "")
        set(${out} TRUE PARENT_SCOPE)
        return()
    endif()
    foreach(variable BRELMOX_SIGN_PASSWORD BRELMOX_SIGN_TIMESTAMP_URL)
        if(NOT "$ENV{${variable}}" STREQUAL "")
            message(FATAL_ERROR "sign: ${variable} is set but BRELMOX_SIGN_PFX is not; "
                                "set it to the PKCS#12 file to sign with, or unset ${variable}")
        endif()
    endforeach()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

# Sets OUT to the Windows binaries under DIR, known by their headers (MZ, and
# PE\0\0 where e_lfanew points) rather than by their names.
function(brelmox_pe_files out dir)
    file(GLOB_RECURSE files LIST_DIRECTORIES false ${dir}/*)
    list(SORT files)
    set(found "")
    foreach(file IN LISTS files)
        file(READ ${file} header LIMIT 64 HEX)
        string(LENGTH "${header}" length)
        if(NOT length EQUAL 128 OR NOT header MATCHES "^4d5a")
            continue()
        endif()
        # e_lfanew: the little-endian 32 bits at offset 60.
        string(SUBSTRING "${header}" 120 8 at)
        string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" at "${at}")
        math(EXPR at "0x${at}")
        file(READ ${file} signature OFFSET ${at} LIMIT 4 HEX)
        if(signature STREQUAL "50450000")
            list(APPEND found ${file})
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# brelmox_sign(<file>... [DISCARD <file>...]): signs the files in place. When
# that fails it removes the DISCARD files, so that no unsigned package is
# left to pass for a signed one, and stops.
function(brelmox_sign)
    cmake_parse_arguments(ARG "" "" "DISCARD" ${ARGN})
    execute_process(COMMAND ${BRELMOX_SIGN_PROGRAM} ${ARG_UNPARSED_ARGUMENTS}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        if(ARG_DISCARD)
            file(REMOVE ${ARG_DISCARD})
        endif()
        message(FATAL_ERROR "${output}sign: signing failed (${status}); no package is left behind")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    brelmox_sign_wanted(wanted)
    set(state "unsigned\n")
    if(wanted)
        get_filename_component(pfx "$ENV{BRELMOX_SIGN_PFX}" ABSOLUTE)
        # Another certificate in the same file signs anew too.
        set(digest missing)
        if(EXISTS "${pfx}" AND NOT IS_DIRECTORY "${pfx}")
            file(SHA256 "${pfx}" digest)
        endif()
        set(state "certificate ${pfx} ${digest}\ntimestamp $ENV{BRELMOX_SIGN_TIMESTAMP_URL}\n")
    endif()
    brelmox_write_state("${STATE}" "${state}")
endif()
