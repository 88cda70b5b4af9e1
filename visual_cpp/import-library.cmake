# Writes a Visual C++ import library for every name a DLL exports; run by the
# build with cmake -P after the DLL is linked.
#
#   -DDLL=             the DLL
#   -DPE_TABLES=       tools/pe-tables, to read the export table
#   -DDLLTOOL=         llvm-dlltool
#   -DIMPORT_LIBRARY=  the .lib to write
#   -DMACHINE=         its machine, as llvm-dlltool names it (i386, i386:x86-64)
cmake_minimum_required(VERSION 3.22)

execute_process(COMMAND ${PE_TABLES} exports ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read the export table of ${DLL}")
endif()
string(REGEX MATCHALL "[^\n]+" entries "${table}")
if(NOT entries)
    message(FATAL_ERROR "${DLL} exports nothing")
endif()

get_filename_component(dll_name ${DLL} NAME)
set(definition "LIBRARY ${dll_name}\nEXPORTS\n")
foreach(entry IN LISTS entries)
    string(REGEX REPLACE " .*" "" name "${entry}")
    string(APPEND definition "    ${name}\n")
endforeach()
set(def_file ${IMPORT_LIBRARY}.def)
file(WRITE ${def_file} "${definition}")
execute_process(COMMAND ${DLLTOOL} -m ${MACHINE} -D ${dll_name} -d ${def_file} -l ${IMPORT_LIBRARY}
                RESULT_VARIABLE status)
file(REMOVE ${def_file})
if(NOT status EQUAL 0)
    message(FATAL_ERROR "llvm-dlltool failed for ${dll_name}")
endif()
