# Builds Brelmox's Windows Installer packages from staged install trees with
# wixl, then adds the COM server's registry rows with msibuild. Included by
# BrelmoxDist.cmake, or run on its own:
#
#   cmake -DTREE=<staged tree> -DVERSION=<a.b.c[.d]> -DMSI=<package to write>
#         [-DARCH=win32|win64] [-DTREE32=<staged 32-bit tree>]
#         [-DWIXL=wixl] [-DMSIBUILD=msibuild] -P BrelmoxMsi.cmake
#
# win32, the package for 32-bit Windows: TREE goes into
# [ProgramFilesFolder]Brelmox, and 64-bit Windows is refused. win64, the
# package for 64-bit Windows: TREE (the x64 build) goes into
# [ProgramFiles64Folder]Brelmox and TREE32 (the 32-bit build) into
# [ProgramFilesFolder]Brelmox, with the same component codes as in the win32
# package, and it replaces an installed win32 package. One component per
# file (wixl derives a stable GUID from the folder and file names):
#   feature Runtime:      README.txt, bin/*.dll, bin/Brelmox.exe
#   feature Development:  everything else (include/, lib/, examples/, the
#                         example programs in bin/)
#   left out:             bin/register.cmd, bin/unregister.cmd (the installer
#                         registers the servers itself)
# Each BrelmoxCOM.dll is registered through the Registry table, in the
# registry view of its own bitness, with the rows that BrelmoxMsiRegistry.cmake
# makes from the server's registrar scripts and its type library.
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/BrelmoxMsiRegistry.cmake)

# Brelmox's identities across all versions; never change them.
set(BRELMOX_MSI_UPGRADE_CODE_win32 C5BBA605-E9A3-4386-AD00-8B9B3C9D64BE)
set(BRELMOX_MSI_UPGRADE_CODE_win64 9F02FCCA-5FD0-474A-8E43-05F87DCB0931)
set(BRELMOX_MSI_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/Brelmox.wxs.in)
# The registrar scripts that BrelmoxCOM.dll carries (com/BrelmoxCOM.rc).
set(BRELMOX_MSI_SCRIPTS
    ${CMAKE_CURRENT_LIST_DIR}/../../com/Warpper.rgs
    ${CMAKE_CURRENT_LIST_DIR}/../../com/TypeLibNeutralLocale.rgs)
# The type library's help strings are code page 932 text (com/CMakeLists.txt):
# the package's strings are stored in that code page, so the registry gets
# the characters the type library holds.
set(BRELMOX_MSI_CODEPAGE 932)

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
# TAG is "" for the 32-bit tree, whose identifiers are the same in both
# packages, and 64 for the x64 one; sources are named relative to BASE, the
# folder wixl runs in.
function(_brelmox_msi_folder tree base dir indent tag)
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
            _brelmox_msi_id(id d${tag}_ "${path}")
            _brelmox_msi_claim(${id})
            string(APPEND directories "${indent}<Directory Id=\"${id}\" Name=\"${name}\">\n")
            _brelmox_msi_folder(${tree} ${base} "${path}" "${indent}  " "${tag}")
            string(APPEND directories "${indent}</Directory>\n")
            continue()
        endif()
        if(path MATCHES "^bin/(register|unregister)\\.cmd$")
            continue()
        endif()
        _brelmox_msi_id(id c${tag}_ "${path}")
        _brelmox_msi_id(file_id f${tag}_ "${path}")
        _brelmox_msi_claim(${id})
        file(RELATIVE_PATH source ${base} ${tree}/${path})
        _brelmox_msi_xml(source "${source}")
        if(tag STREQUAL "64")
            set(win64 yes)
        else()
            set(win64 no)
        endif()
        string(APPEND directories
            "${indent}<Component Id=\"${id}\" Guid=\"*\" Win64=\"${win64}\">"
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

# brelmox_msi(TREE <dir> VERSION <version> MSI <file> [ARCH win32|win64] [TREE32 <dir>]
#             [WIXL <program>] [MSIBUILD <program>])
function(brelmox_msi)
    cmake_parse_arguments(ARG "" "TREE;TREE32;ARCH;VERSION;MSI;WIXL;MSIBUILD" "" ${ARGN})
    foreach(program WIXL MSIBUILD)
        if(NOT ARG_${program})
            string(TOLOWER ${program} ARG_${program})
        endif()
    endforeach()
    if(NOT ARG_ARCH)
        set(ARG_ARCH win32)
    endif()
    set(server bin/BrelmoxCOM.dll)
    get_filename_component(tree ${ARG_TREE} ABSOLUTE)
    # Each tree with its tag (the identifiers' prefix) and its folders.
    if(ARG_ARCH STREQUAL "win32")
        set(trees "${tree}")
        set(tags "-")
        set(platforms win32)
        set(wixl_arch x86)
        set(MSI_PLATFORM "32-bit Windows")
        # Installed: an installed product can still be repaired and removed.
        string(CONCAT MSI_CONDITION
            "<Condition Message=\"This package is for 32-bit Windows. On 64-bit Windows, install "
            "Brelmox-${ARG_VERSION}-win64.msi, which brings the 32-bit files too.\">"
            "Installed OR NOT VersionNT64</Condition>")
    elseif(ARG_ARCH STREQUAL "win64")
        if(NOT ARG_TREE32)
            message(FATAL_ERROR "msi: the win64 package needs the 32-bit tree too (TREE32)")
        endif()
        get_filename_component(tree32 ${ARG_TREE32} ABSOLUTE)
        set(trees "${tree};${tree32}")
        set(tags "64;-")
        set(platforms win64 win32)
        set(wixl_arch x64)
        set(MSI_PLATFORM "64-bit Windows")
        set(MSI_CONDITION "")
    else()
        message(FATAL_ERROR "msi: ARCH is win32 or win64, not ${ARG_ARCH}")
    endif()

    set(ids "")
    set(runtime_refs "")
    set(development_refs "")
    set(MSI_FOLDERS "")
    set(registry_rows "")
    list(LENGTH trees count)
    math(EXPR last "${count} - 1")
    foreach(index RANGE ${last})
        list(GET trees ${index} this_tree)
        list(GET tags ${index} tag)
        list(GET platforms ${index} platform)
        if(tag STREQUAL "-")
            set(tag "")
        endif()
        if(NOT EXISTS ${this_tree}/${server})
            message(FATAL_ERROR "msi: ${this_tree} holds no ${server}")
        endif()
        set(directories "")
        _brelmox_msi_folder(${this_tree} ${tree} "" "          " "${tag}")
        if(tag STREQUAL "64")
            set(top ProgramFiles64Folder)
        else()
            set(top ProgramFilesFolder)
        endif()
        string(APPEND MSI_FOLDERS
            "      <Directory Id=\"${top}\">\n"
            "        <Directory Id=\"INSTALLDIR${tag}\" Name=\"Brelmox\">\n"
            "${directories}"
            "        </Directory>\n"
            "      </Directory>\n")

        # The server's registration, in the registry view of its component.
        _brelmox_msi_id(server_file f${tag}_ ${server})
        _brelmox_msi_id(server_component c${tag}_ ${server})
        _brelmox_msi_id(server_folder d${tag}_ bin)
        brelmox_msi_registry(rows PLATFORM ${platform}
            SERVER "[#${server_file}]" FOLDER "[${server_folder}]"
            SCRIPTS ${BRELMOX_MSI_SCRIPTS}
            IDL ${this_tree}/include/BrelmoxCOM.idl TLB ${this_tree}/include/BrelmoxCOM.tlb)
        foreach(row IN LISTS rows)
            list(APPEND registry_rows "${server_component}|${row}")
        endforeach()
    endforeach()
    # The template's placeholders stand on lines of their own.
    string(REGEX REPLACE "\n$" "" MSI_FOLDERS "${MSI_FOLDERS}")
    string(REGEX REPLACE "\n$" "" MSI_RUNTIME_REFS "${runtime_refs}")
    string(REGEX REPLACE "\n$" "" MSI_DEVELOPMENT_REFS "${development_refs}")
    set(MSI_VERSION ${ARG_VERSION})
    set(MSI_CODEPAGE ${BRELMOX_MSI_CODEPAGE})
    set(upgrade_code ${BRELMOX_MSI_UPGRADE_CODE_${ARG_ARCH}})
    set(MSI_UPGRADE_CODE ${upgrade_code})
    # One product code per version: the same version built again is the same
    # product, so it cannot end up installed twice.
    string(UUID MSI_PRODUCT_CODE NAMESPACE ${upgrade_code}
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
    _brelmox_msi_run(${tree} ${ARG_WIXL} --arch ${wixl_arch} -o ${msi} ${wxs})

    # The strings that follow are stored in the package's code page: each must
    # have its characters there.
    set(codepage_table ${tree_parent}/${msi_name}-codepage/_ForceCodepage.idt)
    file(WRITE ${codepage_table} "\r\n\r\n${BRELMOX_MSI_CODEPAGE}\t_ForceCodepage\r\n")
    _brelmox_msi_run(${tree} ${ARG_MSIBUILD} ${msi} -i ${codepage_table})
    file(REMOVE_RECURSE ${tree_parent}/${msi_name}-codepage)
    set(registry_text "")
    foreach(row IN LISTS registry_rows)
        string(APPEND registry_text "${row}\n")
    endforeach()
    set(registry_file ${tree_parent}/${msi_name}-registry.txt)
    file(WRITE ${registry_file} "${registry_text}")
    execute_process(COMMAND iconv -f UTF-8 -t CP${BRELMOX_MSI_CODEPAGE} ${registry_file}
                    OUTPUT_QUIET ERROR_VARIABLE unconvertible RESULT_VARIABLE status)
    file(REMOVE ${registry_file})
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "msi: the registry rows hold characters that code page "
                            "${BRELMOX_MSI_CODEPAGE} lacks: ${unconvertible}")
    endif()
    set(inserts "")
    foreach(row IN LISTS registry_rows)
        string(REPLACE "|" ";" fields "${row}")
        list(LENGTH fields length)
        while(length LESS 5)
            list(APPEND fields "")
            math(EXPR length "${length} + 1")
        endwhile()
        list(GET fields 0 component)
        list(GET fields 1 root)
        list(GET fields 2 key)
        list(GET fields 3 name)
        list(GET fields 4 value)
        if(row MATCHES "'")
            message(FATAL_ERROR "msi: a registry row holds a ', which the package's SQL cannot: ${row}")
        endif()
        string(SHA1 registry_id "${component}|${root}|${key}|${name}")
        string(SUBSTRING ${registry_id} 0 32 registry_id)
        list(APPEND inserts -q "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`) VALUES ('reg${registry_id}', ${root}, '${key}', '${name}', '${value}', '${component}')")
    endforeach()

    # Windows compares only three fields of a version: with VersionMax
    # inclusive (512, plus 1 to migrate features) a package that differs in
    # the fourth field, as builds of Brelmox do, still replaces the older one.
    # The win64 package replaces the win32 one in the same way.
    set(upgrades
        -q "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
        -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('{${upgrade_code}}', '${ARG_VERSION}', 513, 'WIX_UPGRADE_DETECTED')")
    if(ARG_ARCH STREQUAL "win64")
        list(APPEND upgrades
            -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('{${BRELMOX_MSI_UPGRADE_CODE_win32}}', '${ARG_VERSION}', 513, 'BRELMOX_WIN32_DETECTED')")
        # A per-machine install passes only secure properties on; the value's
        # ; must not split the argument, so it is given here as it stands.
        execute_process(COMMAND ${ARG_MSIBUILD} ${msi} -q
            "UPDATE `Property` SET `Value` = 'BRELMOX_WIN32_DETECTED;WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property` = 'SecureCustomProperties'"
            RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT status EQUAL 0 OR output MATCHES "WARNING|CRITICAL")
            message(FATAL_ERROR "${output}\nmsi: failed (${status}) to add BRELMOX_WIN32_DETECTED to SecureCustomProperties")
        endif()
    endif()
    # wixl sequences the registry actions only for rows of its own: they go
    # at their usual places.
    _brelmox_msi_run(${tree} ${ARG_MSIBUILD} ${msi} ${upgrades} ${inserts}
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveRegistryValues', 2600)"
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteRegistryValues', 5000)")
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
    brelmox_msi(TREE ${TREE} TREE32 "${TREE32}" ARCH "${ARCH}" VERSION ${VERSION} MSI ${MSI}
                WIXL ${WIXL} MSIBUILD ${MSIBUILD})
endif()
