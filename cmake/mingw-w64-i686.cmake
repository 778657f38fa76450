# Cross-compiling for 32-bit Windows (95, 98, NT 4 and later) with the win32 thread model of mingw-w64:
# the program's threads are plain Win32 threads, no winpthread. This kernel cannot run its output.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VEMLORA_THREAD_MODEL win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
