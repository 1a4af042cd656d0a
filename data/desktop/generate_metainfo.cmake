# SPDX-License-Identifier: GPL-2.0-or-later
# Writes the AppStream metainfo with one modalias per mouse of a config.ini's include list,
# leaving out SKIP (the virtual mouse's shared test ID):
#   cmake -DCONFIG=config.ini [-DSKIP=1209:0001] -DTEMPLATE=...metainfo.xml.in -DOUTPUT=...
#         -DQOR_VERSION=... -DQOR_RELEASE_DATE=... -DQOR_HOMEPAGE=... -DQOR_SCREENSHOT_URL=...
#         -P generate_metainfo.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../include_list.cmake)

qor_include_list_mice("${CONFIG}" mice "${SKIP}")
set(QOR_MODALIASES "")
foreach(mouse IN LISTS mice)
  string(REPLACE ":" ";" ids "${mouse}")
  list(GET ids 0 vendor)
  list(GET ids 1 product)
  # The USB device's modalias as the kernel writes it (upper-case hex).
  string(APPEND QOR_MODALIASES "    <modalias>usb:v${vendor}p${product}d*</modalias>\n")
endforeach()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
