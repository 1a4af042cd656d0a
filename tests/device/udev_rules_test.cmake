# SPDX-License-Identifier: GPL-2.0-or-later
# Generates the udev rule file from fixtures/include_list.ini and compares its rule lines
# with fixtures/include_list.rules, then again leaving out the virtual mouse's test ID, whose
# line (the fixture's first) must then be missing:
#   cmake -DGENERATOR=... -DFIXTURES=... -DWORK=... -P udev_rules_test.cmake
cmake_minimum_required(VERSION 3.25)
file(STRINGS "${FIXTURES}/include_list.rules" expected)
foreach(skip "" "1209:0001")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DCONFIG=${FIXTURES}/include_list.ini -DOUTPUT=${WORK}/test.rules
            -DSKIP=${skip} -P ${GENERATOR}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed: ${result}")
  endif()
  file(STRINGS "${WORK}/test.rules" lines REGEX "^[^#]")
  if(NOT lines STREQUAL expected)
    message(FATAL_ERROR "rules differ (SKIP=${skip}):\n${lines}\nexpected:\n${expected}")
  endif()
  list(REMOVE_AT expected 0)
endforeach()
