# nimbra_add_test(<name> [QT_MAIN] SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable; each of its tests becomes a CTest test. QT_MAIN runs the tests
# inside a QApplication (offscreen), for widgets and event loops. No test reaches the user's
# session bus: tests that need a bus start a private one.
function(nimbra_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QT_MAIN)
    set(main nimbra_qt_test_main)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} nimbra_test_support ${main} GTest::gmock
                                        nimbra_warnings)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}."
                       PROPERTIES ENVIRONMENT
                         "QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")
endfunction()
