# nimbra_add_test(<name> [QT_MAIN] [E2E] SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; each of its tests becomes a CTest test. QT_MAIN runs the tests
# inside a QApplication (offscreen), for widgets and event loops. E2E labels its tests `e2e`:
# every test that starts the engine program, a driver program or the simulator carries it, so
# that `ctest -LE e2e` is the fast inner loop. No test reaches the user's session bus: tests
# that need a bus start a private one.
function(nimbra_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN;E2E" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT_MAIN)
    set(main nimbra_qt_test_main)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} nimbra_test_support ${main} GTest::gmock
                                        nimbra_warnings)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}."
                       TEST_LIST ${name}_TESTS)
  # The properties are set once the tests are known: gtest_discover_tests cannot pass on a
  # property whose value is a list (the environment).
  set(labels "")
  if(ARG_E2E)
    set(labels " LABELS e2e")
  endif()
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${script}"
       "if(${name}_TESTS)\n"
       "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
       "    \"QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent\"${labels})\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
