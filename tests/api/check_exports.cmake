# Fails unless the library's dynamic symbol table defines exactly the ten
# entry points.
execute_process(COMMAND nm -D --defined-only --format=just-symbols ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" names "${symbols}")
list(FILTER names EXCLUDE REGEX "^$")
list(SORT names)
set(expected AddData0 CheckCall0 GetExchgCount0 GetNumberOfSets GetResult0 GetSetName
    IsValidExchg0 RemoveData0 ResetStats0 SetupSet0)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
message(STATUS "exports: ${names}")
