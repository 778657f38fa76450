# Cross-compiling with mingw-w64: included by the toolchain file of each target, which sets the
# processor and the thread model first.
set(CMAKE_SYSTEM_NAME Windows)
set(VEMLORA_MINGW ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${VEMLORA_MINGW}-gcc-${VEMLORA_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${VEMLORA_MINGW}-g++-${VEMLORA_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${VEMLORA_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VEMLORA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The processor the 32-bit program is built and checked for: the 486, the least that Windows 98 and
# NT 4 were sold for (tools/check-insns.sh knows i486 and i586).
set(VEMLORA_OLD_CPU i486)
