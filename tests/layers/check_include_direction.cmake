# The one rule of direction (ARCHITECTURE.md): a file of src/ includes only
# files of its own folder and of the folders below it. Reads every #include
# of every source file under SOURCE_DIR and fails, naming file, line and the
# folders allowed, for each include that reaches a folder not below its own.
#   cmake -DSOURCE_DIR=<src> -P check_include_direction.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR \"${SOURCE_DIR}\" is not a folder")
endif()

# Every folder of the stack, bottom first, and what each may include. The
# two platform implementations see only the seam and what is below it;
# scoring and cabrillo stand side by side and never include each other.
set(folders contest platform platform/posix platform/win32 log scoring cabrillo plugin)
set(allowed_contest contest)
set(allowed_platform contest platform)
set(allowed_platform/posix contest platform platform/posix)
set(allowed_platform/win32 contest platform platform/win32)
set(allowed_log contest platform log)
set(allowed_scoring contest platform log scoring)
set(allowed_cabrillo contest platform log cabrillo)
set(allowed_plugin contest platform log scoring cabrillo plugin)

# The folder of a path relative to SOURCE_DIR; empty for a file at its top.
function(folder_of path out)
  if(path MATCHES "^platform/(posix|win32)/")
    set(${out} "platform/${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# The path relative to SOURCE_DIR that an include names, or empty when it
# names a file outside (system, library and res/ headers).
function(included_path file include out)
  get_filename_component(dir "${file}" DIRECTORY)
  set(result "")
  if(include MATCHES "(^|/)\\.\\.(/|$)" OR EXISTS "${SOURCE_DIR}/${dir}/${include}")
    # Relative to the including file.
    get_filename_component(absolute "${SOURCE_DIR}/${dir}/${include}" ABSOLUTE)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${absolute}")
    if(NOT relative MATCHES "^\\.\\./")
      set(result "${relative}")
    endif()
  else()
    string(REPLACE ";" "|" known "${folders}")
    if(include MATCHES "^(${known})/")
      set(result "${include}")
    endif()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
  "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.hpp" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.c"
  "${SOURCE_DIR}/*.inc")

set(violations 0)
set(checked 0)
foreach(file IN LISTS sources)
  folder_of("${file}" folder)
  if(NOT folder IN_LIST folders)
    message(SEND_ERROR "src/${file}: the folder \"${folder}\" has no place in the stack: "
                       "give it one here and in ARCHITECTURE.md")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  file(READ "${SOURCE_DIR}/${file}" text)
  file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  set(searchFrom 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      continue()
    endif()
    set(include "${CMAKE_MATCH_1}")
    math(EXPR checked "${checked} + 1")
    included_path("${file}" "${include}" target)
    if(target STREQUAL "")
      continue()
    endif()
    folder_of("${target}" targetFolder)
    if(targetFolder IN_LIST allowed_${folder})
      continue()
    endif()
    # The line number: where this line stands in the text, after the
    # include lines already seen.
    string(SUBSTRING "${text}" ${searchFrom} -1 rest)
    string(FIND "${rest}" "${line}" offset)
    math(EXPR at "${searchFrom} + ${offset}")
    string(SUBSTRING "${text}" 0 ${at} before)
    string(REGEX MATCHALL "\n" breaks "${before}")
    list(LENGTH breaks number)
    math(EXPR number "${number} + 1")
    math(EXPR searchFrom "${at} + 1")
    list(JOIN allowed_${folder} "/, " may)
    message(SEND_ERROR "src/${file}:${number}: includes \"${include}\" from ${targetFolder}/, "
                       "which is not below ${folder}/ (${folder}/ may include ${may}/ only)")
    math(EXPR violations "${violations} + 1")
  endforeach()
endforeach()

list(LENGTH sources fileCount)
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} includes against the direction of the stack "
                      "(${fileCount} files, ${checked} includes read)")
endif()
message(STATUS "Include direction: ${fileCount} files, ${checked} includes, none upward")
