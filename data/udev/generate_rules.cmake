# Writes the udev rule file for the mice of a config.ini's include list:
#   cmake -DCONFIG=config.ini -DOUTPUT=70-qorcfg51.rules -P generate_rules.cmake
# The list is read the way the program reads it: section "IncludeHIDDeviceList", keys id1,
# id2, ... up to id101 (names in any letter case; the first of duplicate sections and keys
# wins), stopping
# at the first missing or empty key. Every entry of the form HID\VID_xxxx&PID_yyyy... gives
# one rule for that vendor and product. The file is taken as UTF-8.
cmake_minimum_required(VERSION 3.25)

file(READ "${CONFIG}" text)
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

set(rules "")
set(seen "")
foreach(n RANGE 1 101)
  if(NOT DEFINED entry_${n} OR entry_${n} STREQUAL "")
    break()
  endif()
  string(TOUPPER "${entry_${n}}" id)
  if(id MATCHES "^HID\\\\VID_([0-9A-F][0-9A-F][0-9A-F][0-9A-F])&PID_([0-9A-F][0-9A-F][0-9A-F][0-9A-F])")
    string(TOLOWER "${CMAKE_MATCH_1}" vendor)
    string(TOLOWER "${CMAKE_MATCH_2}" product)
    if(NOT "${vendor}:${product}" IN_LIST seen)
      list(APPEND seen "${vendor}:${product}")
      string(APPEND rules "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"${vendor}\", "
                          "ATTRS{idProduct}==\"${product}\", TAG+=\"uaccess\"\n")
    endif()
  endif()
endforeach()
if(rules STREQUAL "")
  set(rules "# config.ini lists no mouse (no id1=HID\\VID_xxxx&PID_yyyy entry): no rule.\n")
endif()

file(WRITE "${OUTPUT}.tmp" "\
# qorcfg51: read and write access to the gaming mouse's /dev/hidraw nodes.
#
# Generated from the include list of config.ini when qorcfg51 was built; add a mouse there
# and rebuild, or add a line below by hand (numbers from lsusb, in lower case).
#
# TAG+=\"uaccess\" gives the user logged in at the machine's seat access to the node while
# the session is active (logind sets an ACL and moves it when the user switches). The tag
# must be set before 73-seat-late.rules acts on it, hence the 70 in this file's name.
# Users who are not at the seat (ssh sessions) or machines without logind need group access
# instead: replace TAG+=\"uaccess\" by GROUP=\"plugdev\", MODE=\"0660\" and add the users to
# the group plugdev.
#
# After installing or changing this file:
#   sudo udevadm control --reload
#   sudo udevadm trigger --subsystem-match=hidraw
# or plug the mouse in again.

${rules}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
