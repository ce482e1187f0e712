# Programs that scripts/bench builds on request, not part of the default
# build: the baseline, a minimal window linked exactly like the timer, the
# floor its costs are compared with, alone, with the timer's manifest, and
# with a message loop that waits instead of polling; the timer linked once
# more without -s and with a link map, which shows what its size is spent on;
# and in the 64-bit build the program that starts and measures them, 32-bit
# or 64-bit alike.
if(NOT MINGW)
    return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(BASELINE_ENTRY_SYMBOL BaselineEntryPoint)
else()
    set(BASELINE_ENTRY_SYMBOL _BaselineEntryPoint@0)
endif()

function(add_baseline name)
    add_executable(${name} WIN32 EXCLUDE_FROM_ALL tests/bench/baseline.cpp ${ARGN})
    target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_options(${name} PRIVATE ${WARNINGS} ${SIZE_OPTIONS})
    target_link_libraries(${name} PRIVATE user32 kernel32)
    target_link_options(${name} PRIVATE
        -static -s -nostartfiles -Wl,-e,${BASELINE_ENTRY_SYMBOL}
        -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--build-id=none)
endfunction()

add_baseline(bench_baseline)
# The manifest loads version 6 of the common controls, which the timer needs
# and the plain baseline does not.
set(BASELINE_MANIFEST_SCRIPT ${PROJECT_SOURCE_DIR}/tests/bench/baseline_manifest.rc)
set_source_files_properties(${BASELINE_MANIFEST_SCRIPT} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/res/timer.manifest")
add_baseline(bench_baseline_manifest ${BASELINE_MANIFEST_SCRIPT})
# GetMessageW instead of the timer's PeekMessageW and Sleep(1): the price of
# polling.
add_baseline(bench_baseline_waiting)
target_compile_definitions(bench_baseline_waiting PRIVATE BASELINE_WAITS_FOR_MESSAGES)

add_executable(bench_timer_mapped WIN32 EXCLUDE_FROM_ALL src/app/main.cpp ${RESOURCE_SCRIPT})
target_compile_options(bench_timer_mapped PRIVATE ${WARNINGS} ${SIZE_OPTIONS})
target_link_libraries(bench_timer_mapped PRIVATE timer_core comctl32 ole32)
target_link_options(bench_timer_mapped PRIVATE
    -static -nostartfiles -Wl,-e,${ENTRY_SYMBOL}
    -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--build-id=none
    -Wl,-Map=${CMAKE_BINARY_DIR}/bench_timer_mapped.map)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_executable(bench_probe EXCLUDE_FROM_ALL tests/bench/bench_probe.cpp)
    target_compile_definitions(bench_probe PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
    target_compile_options(bench_probe PRIVATE ${WARNINGS})
    target_link_libraries(bench_probe PRIVATE psapi)
    target_link_options(bench_probe PRIVATE -static -municode)
endif()
