# Cross-compiling for 64-bit Windows with the posix thread model of mingw-w64 (the test framework needs it).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEMLORA_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)
