# The one rule of direction (ARCHITECTURE.md): a file includes only files of
# its own folder and of the folders below it. Reads every #include of every
# source file under SOURCE_DIR and fails, naming file, line and the folders
# allowed, for each include that reaches a folder not below its own.
#   cmake -DSTACK=src  -DSOURCE_DIR=<src>        -P check_include_direction.cmake
#   cmake -DSTACK=zelk -DSOURCE_DIR=<tools/zelk> -P check_include_direction.cmake
# STACK names the stack SOURCE_DIR holds: the plug-in's core (src) or the
# command-line host's rooms (zelk), which stand on the core.
cmake_minimum_required(VERSION 3.25)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR \"${SOURCE_DIR}\" is not a folder")
endif()

# The core, bottom first, and what each folder may include. The two
# platform implementations see only the seam and what is below it; scoring
# and cabrillo stand side by side and never include each other.
set(src_folders contest platform platform/posix platform/win32 log scoring cabrillo plugin)
set(src_allowed_contest contest)
set(src_allowed_platform contest platform)
set(src_allowed_platform/posix contest platform platform/posix)
set(src_allowed_platform/win32 contest platform platform/win32)
set(src_allowed_log contest platform log)
set(src_allowed_scoring contest platform log scoring)
set(src_allowed_cabrillo contest platform log cabrillo)
set(src_allowed_plugin contest platform log scoring cabrillo plugin)

# zelk's rooms, bottom first. A room includes its own, the rooms below it
# and, where listed as core/<folder>, the core's folders; the core never
# includes a room. The log readers and the pages stand side by side; the
# pages and the text helpers link no contest rule; the check does not drive
# the plug-in; the mail robot stands on the intake alone. The top
# (main.cpp) only declares the commands.
set(zelk_folders text logfile report_html host report_scoring adjudication serve mail commands
  top)
set(core_all core/contest core/platform core/log core/scoring core/cabrillo core/plugin)
set(zelk_allowed_text text)
set(zelk_allowed_logfile text logfile core/contest core/log core/scoring)
set(zelk_allowed_report_html text report_html)
set(zelk_allowed_host text logfile host ${core_all})
set(zelk_allowed_report_scoring text logfile report_html host report_scoring ${core_all})
set(zelk_allowed_adjudication text logfile report_html report_scoring adjudication core/platform
  core/contest core/log core/scoring)
set(zelk_allowed_serve text logfile report_html host report_scoring adjudication serve
  ${core_all})
# The mail robot stands on the intake and reads logs only through it (and
# the Cabrillo reader, for a log's EMAIL: line).
set(zelk_allowed_mail text logfile serve mail)
set(zelk_allowed_commands text logfile report_html host report_scoring adjudication serve
  mail commands ${core_all})
set(zelk_allowed_top commands)

if(STACK STREQUAL "src")
  set(folders ${src_folders})
  set(foreign ${zelk_folders})  # a room's name at the start of an include
  list(REMOVE_ITEM foreign top)
  set(prefix "src")
elseif(STACK STREQUAL "zelk")
  set(folders ${zelk_folders})
  set(foreign "")
  set(prefix "tools/zelk")
else()
  message(FATAL_ERROR "STACK \"${STACK}\" is neither src nor zelk")
endif()

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

# The folder an include reaches, as it is named in the allowed lists: a
# folder of this stack, core/<folder> for the core seen from zelk, or
# foreign:<room> for a room of zelk seen from the core. Empty when it names
# a file outside (system, library and res/ headers).
function(included_folder file include out)
  get_filename_component(dir "${file}" DIRECTORY)
  set(result "")
  string(REPLACE ";" "|" known "${folders}")
  string(REPLACE ";" "|" core "${src_folders}")
  string(REPLACE ";" "|" rooms "${foreign}")
  if(include MATCHES "(^|/)\\.\\.(/|$)" OR EXISTS "${SOURCE_DIR}/${dir}/${include}")
    # Relative to the including file.
    get_filename_component(absolute "${SOURCE_DIR}/${dir}/${include}" ABSOLUTE)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${absolute}")
    if(relative MATCHES "^\\.\\./")
      if(include MATCHES "(^|/)tools/")
        set(result "foreign:tools")
      endif()
    else()
      folder_of("${relative}" result)
    endif()
  elseif(include MATCHES "^(${known})/")
    folder_of("${include}" result)
  elseif(STACK STREQUAL "zelk" AND include MATCHES "^(${core})/")
    folder_of("${include}" folder)
    string(REGEX REPLACE "^platform/.*" "platform" folder "${folder}")
    set(result "core/${folder}")
  elseif(NOT rooms STREQUAL "" AND include MATCHES "^(${rooms})/")
    set(result "foreign:${CMAKE_MATCH_1}")
  elseif(include MATCHES "(^|/)tools/")
    set(result "foreign:tools")
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
  if(folder STREQUAL "" AND STACK STREQUAL "zelk")
    set(folder top)  # main.cpp
  endif()
  if(NOT folder IN_LIST folders)
    message(SEND_ERROR "${prefix}/${file}: the folder \"${folder}\" has no place in the stack: "
                       "give it one here and in ARCHITECTURE.md")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  set(allowed ${${STACK}_allowed_${folder}})
  file(READ "${SOURCE_DIR}/${file}" text)
  file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  set(searchFrom 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      continue()
    endif()
    set(include "${CMAKE_MATCH_1}")
    math(EXPR checked "${checked} + 1")
    included_folder("${file}" "${include}" target)
    if(target STREQUAL "" OR target IN_LIST allowed)
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
    if(folder STREQUAL "top")
      set(shown "the top")
    else()
      set(shown "${folder}/")
    endif()
    if(target MATCHES "^foreign:")
      message(SEND_ERROR "${prefix}/${file}:${number}: includes \"${include}\" from tools/, "
                         "which the core never includes")
    else()
      list(JOIN allowed "/, " may)
      message(SEND_ERROR "${prefix}/${file}:${number}: includes \"${include}\" from ${target}/, "
                         "which is not below ${shown} (${shown} may include ${may}/ only)")
    endif()
    math(EXPR violations "${violations} + 1")
  endforeach()
endforeach()

list(LENGTH sources fileCount)
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} includes against the direction of the stack "
                      "(${fileCount} files, ${checked} includes read)")
endif()
message(STATUS "Include direction: ${fileCount} files, ${checked} includes, none upward")
