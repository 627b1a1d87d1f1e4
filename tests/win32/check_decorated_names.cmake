# Checks the export table of Stats.def against names derived without it:
#  - clang, compiling decorated_names.cpp for the MSVC ABI, gives the decorated
#    name of every entry point; the .def must export exactly those names, each
#    as an alias of its plain name;
#  - llvm-undname turns each decorated name back into a signature, which must
#    read as the entry point's parameter list below;
#  - the ordinals follow the alphabetical order of the names, decorated names
#    first (1 to 10), plain names after (11 to 20), and the module is Stats.dll.
# Run with cmake -P and -DCLANG= -DLLVM_NM= -DLLVM_UNDNAME= -DSOURCE= -DDEF=
# -DINCLUDE_DIR= -DWORK_DIR=.
cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

# Plain name, function named in the decorated name, result, parameters:
# S const char*, B char*, D ATL::COleDateTime*, I int, U unsigned int,
# F double, N none; "S*15" stands for 15 texts in a row.
set(entry_points
  "AddData0|AddData0|int|S,S,D,D,D,D,U,U,S*15,I*3,F*2,S*5"
  "CheckCall0|CheckCallFunc0|int|S,U,U,S*11,I*3,F*2,S*7,B,B"
  "GetExchgCount0|StatsGetExchgCount0|int|S*3"
  "GetNumberOfSets|GetNumberOfSets|int|N"
  "GetResult0|GetResult0|char const *|P"
  "GetSetName|GetSetName|char const *|I"
  "IsValidExchg0|StatsIsValidExchg0|int|S*4,I*3"
  "RemoveData0|RemoveData0|int|S,S,D,D,D,D,U,U,S*15,I*3,F*2,S*5"
  "ResetStats0|ResetStats0|int|S,I,S,D,D,S*10,I*3,F*2,S*3"
  "SetupSet0|SetupSet0|void|N")
set(type_S "char const *")
set(type_B "char *")
set(type_D "class ATL::COleDateTime *")
set(type_I "int")
set(type_U "unsigned int")
set(type_F "double")
set(type_P "int *")
set(type_N "void")

function(expand_parameters shorthand out)
  set(result "")
  string(REPLACE "," ";" groups "${shorthand}")
  foreach(group IN LISTS groups)
    if(group MATCHES "^([A-Z])\\*([0-9]+)$")
      set(letter ${CMAKE_MATCH_1})
      set(count ${CMAKE_MATCH_2})
    else()
      set(letter ${group})
      set(count 1)
    endif()
    foreach(i RANGE 1 ${count})
      if(result STREQUAL "")
        set(result "${type_${letter}}")
      else()
        string(APPEND result ", ${type_${letter}}")
      endif()
    endforeach()
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# 1. The decorated names as the MSVC ABI spells them.
file(MAKE_DIRECTORY ${WORK_DIR}/shim)
# No MSVC headers here: the fixed-width integers come from the compiler's own.
file(WRITE ${WORK_DIR}/shim/cstdint "#include <stdint.h>\n")
execute_process(
  COMMAND ${CLANG} --target=i686-pc-windows-msvc -std=c++20 -ffreestanding
          -isystem ${WORK_DIR}/shim -I${INCLUDE_DIR} -c ${SOURCE} -o ${WORK_DIR}/decorated_names.obj
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "clang could not compile ${SOURCE}")
endif()
execute_process(COMMAND ${LLVM_NM} -u ${WORK_DIR}/decorated_names.obj
                OUTPUT_VARIABLE nm_output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "llvm-nm failed")
endif()
string(REGEX MATCHALL "\\?[^ \n]+" derived "${nm_output}")
list(LENGTH derived derived_count)
if(NOT derived_count EQUAL 10)
  fail("clang gave ${derived_count} decorated names, not 10: ${derived}")
endif()

# 2. The .def file.
file(STRINGS ${DEF} def_lines)
set(module "")
set(def_exports "")
foreach(line IN LISTS def_lines)
  if(line MATCHES "^LIBRARY +(.+)$")
    set(module "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ +([^ =;]+)(=([^ ]+))? +@([0-9]+)$")
    list(APPEND def_exports "${CMAKE_MATCH_1}|${CMAKE_MATCH_3}|${CMAKE_MATCH_4}")
  endif()
endforeach()
if(NOT module STREQUAL "Stats.dll")
  fail("the .def names the module '${module}', not Stats.dll")
endif()
list(LENGTH def_exports export_count)
if(NOT export_count EQUAL 20)
  fail("the .def has ${export_count} exports, not 20")
endif()

# The alias and ordinal of an exported name; an empty ordinal when the .def
# does not export it.
function(find_export name out_alias out_ordinal)
  set(${out_alias} "" PARENT_SCOPE)
  set(${out_ordinal} "" PARENT_SCOPE)
  foreach(export IN LISTS def_exports)
    string(REPLACE "|" ";" fields "${export}")
    list(GET fields 0 exported)
    if(exported STREQUAL name)
      list(GET fields 1 alias)
      list(GET fields 2 ordinal)
      set(${out_alias} "${alias}" PARENT_SCOPE)
      set(${out_ordinal} "${ordinal}" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

# 3. Every entry point: its decorated name derived, exported as an alias of
#    its plain name, and demangled to the expected signature.
set(all_names "")
foreach(entry IN LISTS entry_points)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 plain)
  list(GET fields 1 function)
  list(GET fields 2 result)
  list(GET fields 3 parameter_spec)
  list(APPEND all_names "${plain}")

  set(decorated "")
  foreach(name IN LISTS derived)
    if(name MATCHES "^\\?${function}@@")
      set(decorated "${name}")
    endif()
  endforeach()
  if(decorated STREQUAL "")
    fail("clang gave no decorated name for ${function}")
    continue()
  endif()
  list(APPEND all_names "${decorated}")

  find_export("${decorated}" alias ordinal)
  if(NOT alias STREQUAL plain)
    fail("the .def does not export ${decorated} as an alias of ${plain}")
  endif()
  find_export("${plain}" alias ordinal)
  if(ordinal STREQUAL "" OR NOT alias STREQUAL "")
    fail("the .def does not export the plain name ${plain}")
  endif()

  expand_parameters("${parameter_spec}" parameters)
  set(expected "${result} __cdecl ${function}(${parameters})")
  execute_process(COMMAND ${LLVM_UNDNAME} "${decorated}" OUTPUT_VARIABLE demangled)
  string(REGEX REPLACE "^[^\n]*\n([^\n]*).*$" "\\1" demangled "${demangled}")
  if(NOT demangled STREQUAL expected)
    fail("${decorated}\n  demangles to ${demangled}\n  expected     ${expected}")
  endif()
endforeach()

# 4. Ordinals: decorated names in alphabetical order take 1 to 10, plain
#    names 11 to 20.
set(decorated_names "")
set(plain_names "")
foreach(name IN LISTS all_names)
  if(name MATCHES "^\\?")
    list(APPEND decorated_names "${name}")
  else()
    list(APPEND plain_names "${name}")
  endif()
endforeach()
list(SORT decorated_names COMPARE STRING CASE SENSITIVE)
list(SORT plain_names COMPARE STRING CASE SENSITIVE)
set(expected_ordinal 0)
foreach(name IN LISTS decorated_names plain_names)
  math(EXPR expected_ordinal "${expected_ordinal} + 1")
  find_export("${name}" alias ordinal)
  if(NOT ordinal STREQUAL expected_ordinal)
    fail("${name} has ordinal '${ordinal}', alphabetical order gives ${expected_ordinal}")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} export table check(s) failed")
endif()
message(STATUS "export table: 20 names, decorated names and ordinals as derived")
