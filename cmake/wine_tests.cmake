# Tests that run under Wine: the real window in this process (win_tests), and
# the real executable driven from another process (e2e_tests).
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Files, window texts and keys, shared by the tests in and out of the process.
add_library(test_support STATIC tests/common/test_files.cpp)
target_include_directories(test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests/common ${PROJECT_SOURCE_DIR}/src)
target_compile_options(test_support PRIVATE ${WARNINGS})
target_link_libraries(test_support PUBLIC user32 kernel32)

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
target_link_libraries(win_tests PRIVATE timer_core test_support gtest_main comctl32 ole32 psapi)
target_link_options(win_tests PRIVATE -static)
gtest_discover_tests(win_tests TEST_PREFIX "win." TEST_FILTER "-Stress.*" DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60 PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
# The stress test's 360,000 steps took over two minutes on a busy machine;
# its time limit only guards against a hang.
gtest_discover_tests(win_tests TEST_PREFIX "win." TEST_FILTER "Stress.*" DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60 PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)

# The real executable driven from another process: e2e_tests starts copies of
# it in folders of its own and works its window as an automation tool would;
# the script clicks and types on it with the real X mouse and keyboard, and
# window_probe tells it where the buttons are; planted.dll is what a test
# places beside it.
add_library(planted SHARED tests/e2e/planted_dll.cpp)
set_target_properties(planted PROPERTIES PREFIX "")
target_link_options(planted PRIVATE -static)

add_executable(e2e_tests
    tests/e2e/timer_process.cpp
    tests/e2e/timer_session_test.cpp
    tests/e2e/settings_location_test.cpp
    tests/e2e/hostile_files_test.cpp
    tests/e2e/hotkey_contention_test.cpp
    tests/e2e/dll_search_test.cpp)
target_include_directories(e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(e2e_tests PRIVATE ${WARNINGS})
target_link_libraries(e2e_tests PRIVATE test_support gtest_main)
target_link_options(e2e_tests PRIVATE -static)
add_dependencies(e2e_tests MarcasegundoPulse planted)
gtest_discover_tests(e2e_tests TEST_PREFIX "e2e." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)

add_executable(window_probe tests/e2e/window_probe.cpp)
target_include_directories(window_probe PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(window_probe PRIVATE ${WARNINGS})
target_link_libraries(window_probe PRIVATE test_support)
target_link_options(window_probe PRIVATE -static)

add_test(NAME e2e.real_x_input
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/real_input_test.sh
            $<TARGET_FILE:MarcasegundoPulse> $<TARGET_FILE:window_probe>)
set_tests_properties(e2e.real_x_input PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)

# A folder in which the settings file cannot be created even by root, who
# runs Wine here: the script makes it immutable, and skips (77) where the
# file system does not allow that.
add_test(NAME e2e.uncreatable_settings
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/e2e/uncreatable_settings_test.sh
            $<TARGET_FILE:MarcasegundoPulse> $<TARGET_FILE:window_probe>)
set_tests_properties(e2e.uncreatable_settings PROPERTIES RUN_SERIAL TRUE TIMEOUT 120 SKIP_RETURN_CODE 77)
