# Linux, clang: libFuzzer targets over the plain logic, under AddressSanitizer
# and UBSan. scripts/fuzz runs them for a given time each; CTest runs each one
# once over its seed corpus.
set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# The logic gets the coverage instrumentation; only the targets link libFuzzer's main.
add_library(fuzz_logic STATIC ${LOGIC_SOURCES})
target_include_directories(fuzz_logic PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(fuzz_logic PUBLIC ${WARNINGS} ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
target_link_options(fuzz_logic PUBLIC ${FUZZ_SANITIZERS})

foreach(target number_text_fuzz time_record_fuzz)
    add_executable(${target} tests/fuzz/${target}.cpp)
    target_link_libraries(${target} PRIVATE fuzz_logic)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    # -runs=0 reads and runs the whole corpus, and nothing more.
    add_test(NAME fuzz.${target}.seeds
             COMMAND ${target} -runs=0 ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${target})
endforeach()
