# Checks the built Stats.dll as a file, with the cross toolchain's objdump:
# a 32-bit PE image whose export table names the module Stats.dll and holds
# exactly the 20 names of the .def file, and which imports Windows system
# libraries only (the C and C++ runtimes are linked in).
# Run with cmake -P and -DOBJDUMP= -DDLL= -DDEF=.
cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

if(NOT dump MATCHES "file format pei-i386")
  fail("not a 32-bit PE image")
endif()
if(NOT dump MATCHES "\nName[ \t]+[0-9a-f]+ Stats\\.dll\n")
  fail("the export table does not name the module Stats.dll")
endif()

# Exported names: the lines of the name table, "[  n] name".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table(\n.*)" name_table "${dump}")
string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]+" name_lines "${CMAKE_MATCH_1}")
set(exported "")
foreach(line IN LISTS name_lines)
  string(REGEX REPLACE "^\n\t\\[ *[0-9]+\\] " "" name "${line}")
  list(APPEND exported "${name}")
endforeach()

file(STRINGS ${DEF} def_lines)
set(declared "")
foreach(line IN LISTS def_lines)
  if(line MATCHES "^ +([^ =;]+)(=[^ ]+)? +@[0-9]+$")
    list(APPEND declared "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT exported)
list(SORT declared)
list(LENGTH exported exported_count)
if(NOT exported_count EQUAL 20)
  fail("the DLL exports ${exported_count} names, not 20")
endif()
if(NOT exported STREQUAL declared)
  fail("exported names differ from the .def:\n  exported ${exported}\n  declared ${declared}")
endif()

# Imports: system libraries only.
set(system_libraries
  ADVAPI32.dll GDI32.dll KERNEL32.dll USER32.dll OLE32.dll OLEAUT32.dll VERSION.dll
  msvcrt.dll COMCTL32.dll SHELL32.dll)
string(TOUPPER "${system_libraries}" system_libraries)
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(imported "")
foreach(line IN LISTS import_lines)
  string(REPLACE "DLL Name: " "" library "${line}")
  list(APPEND imported "${library}")
  string(TOUPPER "${library}" upper)
  if(NOT upper IN_LIST system_libraries)
    fail("imports ${library}, which is not a Windows system library")
  endif()
endforeach()
if(NOT imported)
  fail("no imports found in the objdump output")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} image check(s) failed")
endif()
message(STATUS "Stats.dll: pei-i386, module Stats.dll, 20 exports, imports ${imported}")
