# SPDX-License-Identifier: GPL-2.0-or-later
# Turns one scdoc source into a man page compressed the way Debian ships them (no name or
# time stamp in the gzip header, so rebuilds are byte for byte the same):
#   cmake -DSCDOC=scdoc -DSOURCE=page.1.scd -DOUTPUT=page.1 -P build_page.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${SCDOC} INPUT_FILE "${SOURCE}" OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "scdoc failed on ${SOURCE}")
endif()
execute_process(COMMAND gzip -9nf "${OUTPUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()
