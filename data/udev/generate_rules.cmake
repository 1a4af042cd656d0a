# SPDX-License-Identifier: GPL-2.0-or-later
# Writes the udev rule file for the mice of a config.ini's include list:
#   cmake -DCONFIG=config.ini -DOUTPUT=70-qorcfg51.rules -P generate_rules.cmake
# Every entry of the form HID\VID_xxxx&PID_yyyy... gives one rule for that vendor and product.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../include_list.cmake)

qor_include_list_mice("${CONFIG}" mice)
set(rules "")
foreach(mouse IN LISTS mice)
  string(TOLOWER "${mouse}" mouse)
  string(REPLACE ":" ";" ids "${mouse}")
  list(GET ids 0 vendor)
  list(GET ids 1 product)
  string(APPEND rules "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"${vendor}\", "
                      "ATTRS{idProduct}==\"${product}\", TAG+=\"uaccess\"\n")
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
