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
  # One variable per property: a list of two would be split into separate properties on its
  # way to the discovered tests.
  set(properties ENVIRONMENT QT_QPA_PLATFORM=offscreen ENVIRONMENT_MODIFICATION
                 DBUS_SESSION_BUS_ADDRESS=set:unix:path=/nonexistent)
  if(ARG_E2E)
    list(APPEND properties LABELS e2e)
  endif()
  # Parameterised tests are named by their index or given name, not by their printed value,
  # which for plain structs is their bytes and changes from build to build.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." NO_PRETTY_VALUES
                       PROPERTIES ${properties})
endfunction()
