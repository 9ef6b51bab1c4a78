# Cross build for 64-bit Windows with Debian's MinGW-w64 (packages mingw-w64
# and g++-mingw-w64-x86-64).  Used for the library and for the engine's
# dependencies built by windows/build-deps.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KHAPI_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model: std::thread and std::mutex need it.
set(CMAKE_C_COMPILER ${KHAPI_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KHAPI_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KHAPI_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KHAPI_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KHAPI_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# The engine's dependencies built for Windows (windows/build-deps.sh puts
# them in <deps>/prefix), found through their pkg-config files.
set(KHAPI_WIN_PREFIX "$ENV{KHAPI_WIN_PREFIX}" CACHE PATH "The engine's dependencies built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${KHAPI_MINGW_TRIPLET} ${KHAPI_WIN_PREFIX})
if(KHAPI_WIN_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${KHAPI_WIN_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time (libgcc, libstdc++, winpthread) is linked in,
# so that the DLLs and programs need nothing beside them but one another.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
