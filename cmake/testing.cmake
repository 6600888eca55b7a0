# GoogleTest from Debian's sources, built with the cross toolchain.
enable_testing()
set(VORN_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${VORN_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Every test under Wine needs the build tree's prepared prefix (the fixture vorn_prefix,
# tests/CMakeLists.txt). A display test runs in a cheap copy of its own, made by
# VORN_PREFIX_RUN and removed when the test ends, or at the latest after the last test.
set(VORN_PREFIX_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh run ${CMAKE_BINARY_DIR})

# vorn_prefix_control(dll): a control module the prepared prefix has registered.
function(vorn_prefix_control dll)
  set_property(GLOBAL APPEND PROPERTY VORN_PREFIX_CONTROLS ${dll})
endfunction()

# vorn_add_test(NAME SOURCES a.cpp ... LIBS lib ... [TIMEOUT s] [XVFB])
# On the 64-bit build the test runs under Wine; on i686 it is only built.
function(vorn_add_test name)
  cmake_parse_arguments(T "XVFB" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/crash_guard.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(NOT VORN_IS_64)
    return()
  endif()
  set(env ${VORN_TEST_ENV})
  if(T_XVFB)
    # Once a prefix's desktop has started without a display, no top-level window can be
    # made in it: every display test gets a prefix of its own.
    add_test(NAME ${name}
             COMMAND ${VORN_PREFIX_RUN} ${name} ${CMAKE_SOURCE_DIR}/scripts/display-run.sh
                     ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh $<TARGET_FILE:${name}>)
    list(FILTER env EXCLUDE REGEX "^WINEPREFIX=")
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}"
                                          FIXTURES_REQUIRED vorn_prefix)
endfunction()
