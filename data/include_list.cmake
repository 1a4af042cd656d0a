# SPDX-License-Identifier: GPL-2.0-or-later
# qor_include_list_mice(CONFIG OUT [SKIP]): sets OUT to the "vendor:product" pairs (four
# upper-case hex digits each, in list order, without repeats, leaving out the pair SKIP when
# given) of a config.ini's include list, read the way
# the program reads it: section "IncludeHIDDeviceList", keys id1, id2, ... up to id101 (names
# in any letter case; the first of duplicate sections and keys wins), stopping at the first
# missing or empty key. Entries of the form HID\VID_xxxx&PID_yyyy... count; the file is UTF-8.
function(qor_include_list_mice config out)
  file(READ "${config}" text)
  string(REPLACE "\r" "\n" text "${text}")
  string(APPEND text "\n")

  # Walks the lines one by one: config.ini holds ';' and '[', which CMake lists would split on.
  set(section "")
  set(sections "")
  while(NOT text STREQUAL "")
    string(FIND "${text}" "\n" end)
    string(SUBSTRING "${text}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${text}" ${next} -1 text)
    string(STRIP "${line}" line)
    if(line MATCHES "^\\[([^]]*)\\]")
      string(TOLOWER "${CMAKE_MATCH_1}" section)
      string(STRIP "${section}" section)
      if(section IN_LIST sections)
        set(section "")  # a repeated section is skipped whole
      else()
        list(APPEND sections "${section}")
      endif()
    elseif(section STREQUAL "includehiddevicelist" AND line MATCHES "^[iI][dD]0*([0-9]+)[ \t]*=(.*)$")
      set(number "${CMAKE_MATCH_1}")
      string(STRIP "${CMAKE_MATCH_2}" value)
      if(value MATCHES "^\"(.*)\"$")
        set(value "${CMAKE_MATCH_1}")
      elseif(value MATCHES "^'(.*)'$")
        set(value "${CMAKE_MATCH_1}")
      endif()
      if(NOT DEFINED entry_${number})
        set(entry_${number} "${value}")
      endif()
    endif()
  endwhile()

  set(mice "")
  string(TOUPPER "${ARGN}" skip)
  foreach(n RANGE 1 101)
    if(NOT DEFINED entry_${n} OR entry_${n} STREQUAL "")
      break()
    endif()
    string(TOUPPER "${entry_${n}}" id)
    if(id MATCHES "^HID\\\\VID_([0-9A-F][0-9A-F][0-9A-F][0-9A-F])&PID_([0-9A-F][0-9A-F][0-9A-F][0-9A-F])")
      set(mouse "${CMAKE_MATCH_1}:${CMAKE_MATCH_2}")
      if(NOT mouse IN_LIST mice AND NOT mouse STREQUAL skip)
        list(APPEND mice "${mouse}")
      endif()
    endif()
  endforeach()
  set(${out} "${mice}" PARENT_SCOPE)
endfunction()
