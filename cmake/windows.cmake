# Windows: the timer executable, and in the 64-bit build the tests that run it
# under Wine.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MANIFEST_ARCH amd64)
    set(ENTRY_SYMBOL TimerEntryPoint)
else()
    set(MANIFEST_ARCH x86)
    set(ENTRY_SYMBOL _TimerEntryPoint@0)
    # 32-bit code needs no unwind tables without exceptions.
    set(ARCH_SIZE_OPTIONS -fno-asynchronous-unwind-tables)
endif()
configure_file(res/timer.manifest.in ${CMAKE_BINARY_DIR}/res/timer.manifest @ONLY)
set(RESOURCE_SCRIPT ${PROJECT_SOURCE_DIR}/res/timer.rc)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
    OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/res/timer.ico;${PROJECT_SOURCE_DIR}/res/resource.h;${CMAKE_BINARY_DIR}/res/timer.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${PROJECT_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/res")

# Small, self-contained and reproducible: no exceptions or RTTI, unused code
# dropped, no build paths or timestamps in the output.
if(MSVC)
    # Microsoft's compiler: the same aims in its own options. Buffer security
    # checks are off because their cookie is set up by C runtime start-up
    # code, which this program does not have.
    set(WARNINGS /W4)
    string(REPLACE "/EHsc" "" CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS}")
    string(REPLACE "/GR" "" CMAKE_CXX_FLAGS "${CMAKE_CXX_FLAGS}")
    add_compile_definitions(_HAS_EXCEPTIONS=0)
    set(SIZE_OPTIONS /EHs-c- /GR- /GS- /Gy /Gw /Brepro)
    # The static C runtime for the compiler's helpers, which need no start-up
    # code; the C library itself from the system's Universal CRT DLL, which
    # initialises itself when it is loaded.
    set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreaded)
else()
    set(SIZE_OPTIONS -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
        -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. ${ARCH_SIZE_OPTIONS})
endif()

add_library(timer_core STATIC ${LOGIC_SOURCES} ${WIN32_SOURCES})
target_include_directories(timer_core PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
target_compile_definitions(timer_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(timer_core PRIVATE ${WARNINGS} ${SIZE_OPTIONS})
target_link_libraries(timer_core PUBLIC user32 gdi32 kernel32)

# The process entry is TimerEntryPoint itself, so no C runtime start-up code
# is linked; -static keeps the executable free of MinGW DLLs.
add_executable(MarcasegundoPulse WIN32 src/app/main.cpp ${RESOURCE_SCRIPT})
target_compile_options(MarcasegundoPulse PRIVATE ${WARNINGS} ${SIZE_OPTIONS})
target_link_libraries(MarcasegundoPulse PRIVATE timer_core comctl32 ole32)
if(MSVC)
    # The resource script brings the manifest, so the linker makes none.
    target_link_options(MarcasegundoPulse PRIVATE
        /ENTRY:TimerEntryPoint /OPT:REF /OPT:ICF /MANIFEST:NO /Brepro
        /NODEFAULTLIB:libucrt.lib ucrt.lib)
else()
    target_link_options(MarcasegundoPulse PRIVATE
        -static -s -nostartfiles -Wl,-e,${ENTRY_SYMBOL}
        -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--build-id=none)
endif()

# Debian's python3-pefile reads the executable; it serves the system's
# Python, which comes before any other python3 on the PATH.
find_program(SYSTEM_PYTHON3 python3 HINTS /usr/bin REQUIRED)
add_test(NAME exe.imports_and_resources
    COMMAND ${SYSTEM_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/check_executable.py $<TARGET_FILE:MarcasegundoPulse> ${MANIFEST_ARCH})

# The scripts run this first to learn whether this build's code runs here.
add_executable(bitness_probe tests/common/bitness_probe.cpp)
target_link_options(bitness_probe PRIVATE -static)

# Off where this build's code cannot run: CTest then has only the checks
# above, which read the executable without running it.
option(WINE_TESTS "Run this build's tests under Wine" ON)
if(CMAKE_CROSSCOMPILING_EMULATOR AND WINE_TESTS)
    include(cmake/wine_tests.cmake)
endif()

include(cmake/bench.cmake)
