# SPDX-License-Identifier: GPL-2.0-or-later
# Writes the udev rule file for the mice of a config.ini's include list:
#   cmake -DCONFIG=config.ini -DOUTPUT=70-qorcfg51.rules [-DSKIP=1209:0001] -P generate_rules.cmake
# Every entry of the form HID\VID_xxxx&PID_yyyy... gives one rule for that vendor and product,
# except SKIP: the virtual mouse's shared test ID, which any hobby device may carry.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../include_list.cmake)

qor_include_list_mice("${CONFIG}" mice "${SKIP}")
set(rules "")
foreach(mouse IN LISTS mice)
  string(TOUPPER "${mouse}" mouse)
  string(REPLACE ":" ";" ids "${mouse}")
  list(GET ids 0 vendor)
  list(GET ids 1 product)
  string(APPEND rules "KERNEL==\"hidraw*\", SUBSYSTEMS==\"hid\", "
                      "KERNELS==\"*:${vendor}:${product}.*\", TAG+=\"uaccess\"\n")
endforeach()
if(rules STREQUAL "")
  set(rules "# No mouse is known to work yet, so this file names none.\n")
endif()

file(WRITE "${OUTPUT}.tmp" "\
# qorcfg51: read and write access to the gaming mouse's /dev/hidraw nodes.
#
# This file belongs to the package: do not edit it, an update replaces it. To add a mouse,
# run (numbers from lsusb)
#   qorcfg51-ctl add-mouse 1a2b:3c4d
# which lists it in your config.ini and prints its rule line and the commands that install
# it into /etc/udev/rules.d/70-qorcfg51-local.rules; or, as root, for every user of the
# machine:
#   sudo qorcfg51-ctl add-mouse 1a2b:3c4d --system
# A rule line has this form (vendor and product in upper-case hex; the HID device's name is
# BUS:VENDOR:PRODUCT.N, so it matches on USB, Bluetooth and uhid alike):
#   KERNEL==\"hidraw*\", SUBSYSTEMS==\"hid\", KERNELS==\"*:1A2B:3C4D.*\", TAG+=\"uaccess\"
#
# TAG+=\"uaccess\" gives the user logged in at the machine's seat access to the node while
# the session is active (logind sets an ACL and moves it when the user switches). The tag
# must be set before 73-seat-late.rules acts on it, hence the 70 in this file's name.
# Users who are not at the seat (ssh sessions) or machines without logind need group access
# instead: in the local file, replace TAG+=\"uaccess\" by GROUP=\"plugdev\", MODE=\"0660\" and
# add the users to the group plugdev.
#
# After installing or changing a rule file:
#   sudo udevadm control --reload
#   sudo udevadm trigger --action=add --subsystem-match=hidraw
# or plug the mouse in again.

${rules}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
