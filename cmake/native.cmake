# Linux: the logic and its unit tests, under AddressSanitizer and UBSan.
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(timer_logic STATIC ${LOGIC_SOURCES})
target_include_directories(timer_logic PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(timer_logic PUBLIC ${WARNINGS} ${SANITIZERS})
target_link_options(timer_logic PUBLIC ${SANITIZERS})

find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(unit_tests
    tests/unit/time_record_test.cpp
    tests/unit/number_text_test.cpp
    tests/unit/event_texts_test.cpp)
target_link_libraries(unit_tests PRIVATE timer_logic GTest::gtest_main)
gtest_discover_tests(unit_tests TEST_PREFIX "unit.")
