# Builds Brelmox's Windows Installer package from a staged install tree with
# wixl, then adds the COM server's SelfReg row with msibuild. Included by
# BrelmoxDist.cmake, or run on its own:
#
#   cmake -DTREE=<staged tree> -DVERSION=<a.b.c[.d]> -DMSI=<package to write>
#         [-DWIXL=wixl] [-DMSIBUILD=msibuild] -P BrelmoxMsi.cmake
#
# The tree's files go into [ProgramFilesFolder]Brelmox, one component each
# (wixl derives a stable GUID from the path):
#   feature Runtime:      README.txt, bin/*.dll, bin/Brelmox.exe
#   feature Development:  everything else (include/, lib/, examples/, the
#                         example programs in bin/)
#   left out:             bin/register.cmd, bin/unregister.cmd (the installer
#                         registers the server itself)
cmake_minimum_required(VERSION 3.22)

# Brelmox's identity across all versions; never change it.
set(BRELMOX_MSI_UPGRADE_CODE C5BBA605-E9A3-4386-AD00-8B9B3C9D64BE)
set(BRELMOX_MSI_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/Brelmox.wxs.in)

# MSI identifiers: letters, digits, _ and ., at most 72 characters.
function(_brelmox_msi_id out prefix path)
    string(MAKE_C_IDENTIFIER "${path}" id)
    set(id ${prefix}${id})
    string(LENGTH "${id}" length)
    if(length GREATER 72)
        message(FATAL_ERROR "msi: the identifier for ${path} is longer than 72 characters")
    endif()
    set(${out} ${id} PARENT_SCOPE)
endfunction()

function(_brelmox_msi_xml out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# MAKE_C_IDENTIFIER maps - . / and spaces alike: two paths must not meet.
macro(_brelmox_msi_claim id)
    if(${id} IN_LIST ids)
        message(FATAL_ERROR "msi: two paths of the tree get the identifier ${id}")
    endif()
    list(APPEND ids ${id})
endmacro()

# Appends the folder DIR (relative to the tree, "" for its top) to the
# variables directories, runtime_refs, development_refs and ids of the caller.
function(_brelmox_msi_folder tree dir indent)
    if(dir STREQUAL "")
        set(prefix "")
    else()
        set(prefix "${dir}/")
    endif()
    file(GLOB entries LIST_DIRECTORIES true RELATIVE ${tree}/${prefix} ${tree}/${prefix}*)
    list(SORT entries)
    foreach(entry IN LISTS entries)
        set(path ${prefix}${entry})
        _brelmox_msi_xml(name "${entry}")
        if(IS_DIRECTORY ${tree}/${path})
            _brelmox_msi_id(id d_ "${path}")
            _brelmox_msi_claim(${id})
            string(APPEND directories "${indent}<Directory Id=\"${id}\" Name=\"${name}\">\n")
            _brelmox_msi_folder(${tree} "${path}" "${indent}  ")
            string(APPEND directories "${indent}</Directory>\n")
            continue()
        endif()
        if(path MATCHES "^bin/(register|unregister)\\.cmd$")
            continue()
        endif()
        _brelmox_msi_id(id c_ "${path}")
        _brelmox_msi_id(file_id f_ "${path}")
        _brelmox_msi_claim(${id})
        _brelmox_msi_xml(source "${path}")
        string(APPEND directories
            "${indent}<Component Id=\"${id}\" Guid=\"*\">"
            "<File Id=\"${file_id}\" Name=\"${name}\" Source=\"${source}\" KeyPath=\"yes\" />"
            "</Component>\n")
        if(path MATCHES "^(README\\.txt|bin/[^/]+\\.dll|bin/Brelmox\\.exe)$")
            string(APPEND runtime_refs "      <ComponentRef Id=\"${id}\" />\n")
        else()
            string(APPEND development_refs "      <ComponentRef Id=\"${id}\" />\n")
        endif()
    endforeach()
    foreach(variable directories runtime_refs development_refs ids)
        set(${variable} "${${variable}}" PARENT_SCOPE)
    endforeach()
endfunction()

# brelmox_msi(TREE <dir> VERSION <version> MSI <file> [WIXL <program>] [MSIBUILD <program>])
function(brelmox_msi)
    cmake_parse_arguments(ARG "" "TREE;VERSION;MSI;WIXL;MSIBUILD" "" ${ARGN})
    foreach(program WIXL MSIBUILD)
        if(NOT ARG_${program})
            string(TOLOWER ${program} ARG_${program})
        endif()
    endforeach()
    get_filename_component(tree ${ARG_TREE} ABSOLUTE)
    set(server bin/BrelmoxCOM.dll)
    if(NOT EXISTS ${tree}/${server})
        message(FATAL_ERROR "msi: ${ARG_TREE} holds no ${server}")
    endif()

    set(directories "")
    set(runtime_refs "")
    set(development_refs "")
    set(ids "")
    _brelmox_msi_folder(${tree} "" "          ")
    # The template's placeholders stand on lines of their own.
    string(REGEX REPLACE "\n$" "" MSI_DIRECTORIES "${directories}")
    string(REGEX REPLACE "\n$" "" MSI_RUNTIME_REFS "${runtime_refs}")
    string(REGEX REPLACE "\n$" "" MSI_DEVELOPMENT_REFS "${development_refs}")
    set(MSI_VERSION ${ARG_VERSION})
    set(MSI_UPGRADE_CODE ${BRELMOX_MSI_UPGRADE_CODE})
    # One product code per version: the same version built again is the same
    # product, so it cannot end up installed twice.
    string(UUID MSI_PRODUCT_CODE NAMESPACE ${BRELMOX_MSI_UPGRADE_CODE}
           NAME "Brelmox ${ARG_VERSION}" TYPE SHA1 UPPER)

    # The .wxs goes beside the tree; the package is written under another name
    # first, so that a failed step leaves none behind.
    get_filename_component(msi_name ${ARG_MSI} NAME_WLE)
    get_filename_component(tree_parent ${tree} DIRECTORY)
    set(wxs ${tree_parent}/${msi_name}.wxs)
    configure_file(${BRELMOX_MSI_TEMPLATE} ${wxs} @ONLY)
    get_filename_component(final_msi ${ARG_MSI} ABSOLUTE)
    set(msi ${final_msi}.part)
    file(REMOVE ${final_msi} ${msi})
    # wixl takes no absolute Source paths: they are relative to the tree.
    _brelmox_msi_run(${tree} ${ARG_WIXL} --arch x86 -o ${msi} ${wxs})

    # Windows compares only three fields of a version: with VersionMax
    # inclusive (512, plus 1 to migrate features) a package that differs in
    # the fourth field, as builds of Brelmox do, still replaces the older one.
    # wixl drops File/@SelfRegCost and has no SelfReg table: the row and both
    # actions, at their usual places, are added here.
    _brelmox_msi_id(server_id f_ ${server})
    _brelmox_msi_run(${tree} ${ARG_MSIBUILD} ${msi}
        -q "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
        -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('{${BRELMOX_MSI_UPGRADE_CODE}}', '${ARG_VERSION}', 513, 'WIX_UPGRADE_DETECTED')"
        -q "CREATE TABLE `SelfReg` (`File_` CHAR(72) NOT NULL, `Cost` INT PRIMARY KEY `File_`)"
        -q "INSERT INTO `SelfReg` (`File_`, `Cost`) VALUES ('${server_id}', 0)"
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SelfUnregModules', 2200)"
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SelfRegModules', 6500)")
    file(RENAME ${msi} ${final_msi})
endfunction()

function(_brelmox_msi_run directory)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${directory}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    # wixl warns about some attributes it ignores, and still succeeds.
    if(NOT status EQUAL 0 OR output MATCHES "WARNING|CRITICAL")
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${output}\nmsi: failed (${status}): ${command}")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    brelmox_msi(TREE ${TREE} VERSION ${VERSION} MSI ${MSI} WIXL ${WIXL} MSIBUILD ${MSIBUILD})
endif()
