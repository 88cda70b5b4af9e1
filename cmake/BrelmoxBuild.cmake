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
elseif(MSVC)
    add_compile_options(/W4 /utf-8)
endif()

if(WIN32)
    # Windows XP is the oldest system the binaries still have to load on.
    add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 NOMINMAX)
endif()

# brelmox_version_resource(<target> <rc file>): a version block on Windows only.
function(brelmox_version_resource target rc_file)
    if(WIN32)
        target_sources(${target} PRIVATE ${rc_file})
    endif()
endfunction()

# brelmox_visual_cpp_import_library(<target>): <target>.lib beside the MinGW
# import library, in the format of Visual C++'s import libraries, for every
# name the DLL exports. Made from the linked DLL's export table, so that it
# also serves a MinGW link that finds it first (g++ -static picks up X.lib for
# -lX before libX.dll.a).
function(brelmox_visual_cpp_import_library target)
    find_program(BRELMOX_LLVM_DLLTOOL llvm-dlltool REQUIRED)
    find_program(BRELMOX_LLVM_READOBJ llvm-readobj REQUIRED)
    set(import_library ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/${target}.lib)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E env LLVM_READOBJ=${BRELMOX_LLVM_READOBJ}
                ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:${target}>
                -DPE_TABLES=${PROJECT_SOURCE_DIR}/tools/pe-tables
                -DDLLTOOL=${BRELMOX_LLVM_DLLTOOL} -DIMPORT_LIBRARY=${import_library}
                -P ${PROJECT_SOURCE_DIR}/cmake/VisualCppImportLibrary.cmake
        BYPRODUCTS ${import_library}
        COMMENT "Visual C++ import library ${target}.lib"
        VERBATIM)
    set_target_properties(${target} PROPERTIES BRELMOX_VISUAL_CPP_IMPLIB ${import_library})
endfunction()
