# Cross build for 64-bit Windows with Debian's mingw-w64 compilers. The
# programs it makes run on Windows, and here under Wine (scripts/wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNEL_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model: the win32 one of GCC 12 lacks std::thread and std::mutex.
find_program(CMAKE_C_COMPILER NAMES ${VARNEL_MINGW_PREFIX}-gcc-posix ${VARNEL_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VARNEL_MINGW_PREFIX}-g++-posix ${VARNEL_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VARNEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW_PREFIX})
# The Windows kit (scripts/windows-kit.sh): Qt, SQLite and libsodium built for
# mingw-w64. Its prefix is a find root like the compiler's own, so
# find_package, find_path and find_library see its include/ and lib/. (Not
# on CMAKE_PREFIX_PATH as well: CMake joins a prefix that equals a root into
# a path that does not exist.)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARNEL_WINDOWS_KIT)
if(VARNEL_WINDOWS_KIT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VARNEL_WINDOWS_KIT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest starts the test programs through Wine.
set(VARNEL_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
if(VARNEL_WINDOWS_KIT)
  # Qt's DLLs carry their own copy of the C++ runtime; a second, static one
  # in the program would split exceptions and heaps in two. The programs
  # ship the compiler's runtime DLLs instead, and tests find them and Qt's
  # through WINEPATH.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
    OUTPUT_VARIABLE VARNEL_MINGW_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(VARNEL_MINGW_RUNTIME_DIR ${VARNEL_MINGW_RUNTIME} DIRECTORY)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env
    "VARNEL_WINE_DLL_DIRS=${VARNEL_WINDOWS_KIT}/bin:${VARNEL_MINGW_RUNTIME_DIR}:/usr/${VARNEL_MINGW_PREFIX}/lib"
    ${VARNEL_WINE_RUN})
else()
  # Self-contained engine tests: no libstdc++, libgcc or winpthread DLLs.
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNEL_WINE_RUN})
endif()
