# The Visual C++ face of BrelmoxLib.dll and Pellwick.dll: their classes'
# decorated names (the .def files here), the constructor shims, and the
# Visual C++ import libraries made from the linked DLLs. Checked by
# tests/visual_cpp.

set(BRELMOX_VISUAL_CPP_DIR ${CMAKE_CURRENT_LIST_DIR})

# brelmox_visual_cpp_exports(<target> DEF <file.def> CONSTRUCTOR <file.cpp>):
# exports <target>'s members under their Visual C++ names too, and writes
# <target>.lib beside the MinGW import library, for every name the DLL
# exports: it also serves a MinGW link that finds it first (g++ -static picks
# up X.lib for -lX before libX.dll.a).
function(brelmox_visual_cpp_exports target)
    cmake_parse_arguments(ARG "" "DEF;CONSTRUCTOR" "" ${ARGN})
    # The names differ by architecture; the shims are the same source.
    target_sources(${target} PRIVATE ${BRELMOX_VISUAL_CPP_DIR}/${BRELMOX_ARCH}/${ARG_DEF}
                                     ${BRELMOX_VISUAL_CPP_DIR}/${ARG_CONSTRUCTOR})
    find_program(BRELMOX_LLVM_DLLTOOL llvm-dlltool REQUIRED)
    find_program(BRELMOX_LLVM_READOBJ llvm-readobj REQUIRED)
    set(import_library ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/${target}.lib)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E env LLVM_READOBJ=${BRELMOX_LLVM_READOBJ}
                ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:${target}>
                -DPE_TABLES=${PROJECT_SOURCE_DIR}/tools/pe-tables
                -DDLLTOOL=${BRELMOX_LLVM_DLLTOOL} -DIMPORT_LIBRARY=${import_library}
                -DMACHINE=${BRELMOX_DLLTOOL_MACHINE}
                -P ${BRELMOX_VISUAL_CPP_DIR}/import-library.cmake
        BYPRODUCTS ${import_library}
        COMMENT "Visual C++ import library ${target}.lib"
        VERBATIM)
    set_target_properties(${target} PROPERTIES BRELMOX_VISUAL_CPP_IMPLIB ${import_library})
endfunction()
