# Tests that run under Wine: the real window in this process (win_tests), and
# the real executable driven from another process (e2e_tests).
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

add_executable(win_tests
    tests/win/window_fixture.cpp
    tests/win/countdown_win_test.cpp
    tests/win/settings_win_test.cpp
    tests/win/timer_window_test.cpp
    tests/win/window_events_test.cpp
    tests/win/hotkey_test.cpp
    tests/win/robustness_test.cpp
    ${RESOURCE_SCRIPT})
target_compile_options(win_tests PRIVATE ${WARNINGS})
target_link_libraries(win_tests PRIVATE timer_core gtest_main comctl32 ole32 psapi)
target_link_options(win_tests PRIVATE -static)
gtest_discover_tests(win_tests TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
