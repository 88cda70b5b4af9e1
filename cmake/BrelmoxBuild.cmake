# Compiler settings shared by every target of the project.

option(BRELMOX_SANITIZE "Build host targets with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(BRELMOX_FUZZ "Build the libFuzzer programs (host build with clang)" OFF)
option(BRELMOX_BENCH "Build the host benchmarks (needs Google Benchmark)" OFF)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra -Wno-unused-parameter)
    if(BRELMOX_SANITIZE AND NOT WIN32)
        add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                            -fno-omit-frame-pointer)
        add_link_options(-fsanitize=address,undefined)
    endif()
endif()

if(WIN32)
    # The architecture, once for the whole build: the toolchain file names only
    # the compilers. BRELMOX_ARCH names the Wine prefix the programs run in and
    # the packages' suffix.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(BRELMOX_ARCH win64)
        set(BRELMOX_WIDL_ARCH --win64)
        set(BRELMOX_DLLTOOL_MACHINE i386:x86-64)
        set(BRELMOX_WINE_LIB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
        set(BRELMOX_VISUAL_CPP_TARGET x86_64-pc-windows-msvc)
        set(BRELMOX_ARCH_BITS 64)
    else()
        set(BRELMOX_ARCH win32)
        set(BRELMOX_WIDL_ARCH --win32)
        set(BRELMOX_DLLTOOL_MACHINE i386)
        set(BRELMOX_WINE_LIB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
        set(BRELMOX_VISUAL_CPP_TARGET i686-pc-windows-msvc)
        set(BRELMOX_ARCH_BITS 32)
    endif()
    # Windows XP is the oldest system the binaries still have to load on.
    add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 NOMINMAX)
    # libgcc and libstdc++ are linked statically (-static keeps only the import
    # libraries of system DLLs dynamic): every module then depends on system
    # DLLs and its siblings alone, and all of them share the heap of the one C
    # runtime DLL, msvcrt.dll. The examples that ship are linked so too.
    set(BRELMOX_STATIC_LINK_FLAGS -static)
    add_link_options(${BRELMOX_STATIC_LINK_FLAGS})
endif()

# brelmox_unloadable_dll(<target>): a DLL that hosts may load and free again
# and again, each time leaving nothing behind. Our DLLs throw nothing;
# compiled without exceptions, they link none of libsupc++'s exception
# machinery, and so not its emergency exception pool, which every load
# allocates and no unload frees.
function(brelmox_unloadable_dll target)
    target_compile_options(${target} PRIVATE -fno-exceptions)
endfunction()

# brelmox_arch_def(<source.def> <out>): the module-definition file for this
# architecture, in <out>. The files name stdcall functions as i686 decorates
# them (Name@n); x64 has one calling convention and no decoration, so there
# the plain names stand.
function(brelmox_arch_def source out)
    file(READ ${source} text)
    if(BRELMOX_ARCH STREQUAL "win64")
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*) = ([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1"
                             text "${text}")
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+ @" "\\1 @" text "${text}")
    endif()
    file(CONFIGURE OUTPUT ${out} CONTENT "${text}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# brelmox_wide_entry(<target>): a program whose entry point is wmain.
function(brelmox_wide_entry target)
    target_link_options(${target} PRIVATE -municode)
endfunction()

# brelmox_version_resource(<target> VERSION <a.b.c.d> TYPE VFT_DLL|VFT_APP
#                          OS <VOS_...> STRINGS <key> <value>... [RC <file.rc>])
# A version block (language 0x0411, code page 0x04B0) from cmake/version.rc.in:
# the strings in the order of their keys, FileVersion and ProductVersion among
# them in the "1, 0, 0, 10" form. Without RC it is the target's resource script; with
# RC that script includes it as "version.rc". Windows only.
function(brelmox_version_resource target)
    if(NOT WIN32)
        return()
    endif()
    # PARSE_ARGV keeps the empty values of STRINGS.
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "VERSION;TYPE;OS;RC" "STRINGS")
    string(REPLACE "." ", " version_numbers ${ARG_VERSION})
    # The strings go in the order of their keys, the versions among them.
    set(entries "FileVersion=${version_numbers}" "ProductVersion=${version_numbers}")
    while(ARG_STRINGS)
        list(POP_FRONT ARG_STRINGS key value)
        list(APPEND entries "${key}=${value}")
    endwhile()
    list(SORT entries)
    set(version_strings "")
    foreach(entry IN LISTS entries)
        string(REGEX REPLACE "=.*" "" key "${entry}")
        string(REGEX REPLACE "^[^=]*=" "" value "${entry}")
        string(APPEND version_strings "            VALUE \"${key}\", \"${value}\"\n")
    endforeach()
    string(REGEX REPLACE "\n$" "" version_strings "${version_strings}")
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-version)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${folder}/version.rc @ONLY)
    if(ARG_RC)
        target_sources(${target} PRIVATE ${ARG_RC})
        target_include_directories(${target} PRIVATE ${folder})
        set_property(SOURCE ${ARG_RC} APPEND PROPERTY OBJECT_DEPENDS ${folder}/version.rc)
    else()
        target_sources(${target} PRIVATE ${folder}/version.rc)
    endif()
endfunction()

# brelmox_com_client64(<target> <output> [ALL] SOURCES <file>...): a 64-bit Windows
# COM client of the server, from the 64-bit MinGW compiler (the build itself
# is 32-bit), with IWarpper's header and GUIDs. For tests and benchmarks of
# 64-bit hosts, which reach the server through the system's DLL surrogate.
function(brelmox_com_client64 target output)
    cmake_parse_arguments(ARG "ALL" "" "SOURCES;INCLUDES" ${ARGN})
    find_program(BRELMOX_MINGW64_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++
                 REQUIRED)
    set(interface_dir ${PROJECT_BINARY_DIR}/com)
    set(includes -I${PROJECT_SOURCE_DIR}/com -I${interface_dir})
    foreach(folder IN LISTS ARG_INCLUDES)
        list(APPEND includes -I${folder})
    endforeach()
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    add_custom_command(OUTPUT ${output}
        COMMAND ${BRELMOX_MINGW64_CXX} -O2 -static ${includes} -x c++ ${ARG_SOURCES}
                -x c ${interface_dir}/BrelmoxCOM_i.c -o ${output} -lole32 -loleaut32 -luuid
        DEPENDS ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/com/warpper_interface.h
                ${interface_dir}/BrelmoxCOM.h ${interface_dir}/BrelmoxCOM_i.c
        COMMENT "Building the 64-bit ${target}"
        VERBATIM)
    if(ARG_ALL)
        add_custom_target(${target} ALL DEPENDS ${output})
    else()
        add_custom_target(${target} DEPENDS ${output})
    endif()
endfunction()
