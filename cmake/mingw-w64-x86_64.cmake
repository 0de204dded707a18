# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread
# model, so that std::thread and std::mutex work).
#
# The third-party libraries come from the prefix that scripts/windows-deps
# builds; name it with -DTAVIMOR_WINDOWS_PREFIX=... or the environment variable
# of the same name.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVIMOR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVIMOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIMOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIMOR_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${TAVIMOR_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TAVIMOR_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT TAVIMOR_WINDOWS_PREFIX AND DEFINED ENV{TAVIMOR_WINDOWS_PREFIX})
    set(TAVIMOR_WINDOWS_PREFIX $ENV{TAVIMOR_WINDOWS_PREFIX})
endif()
# try_compile projects read this file again and see only the variables named
# here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIMOR_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVIMOR_MINGW_TRIPLET})
if(TAVIMOR_WINDOWS_PREFIX)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${TAVIMOR_WINDOWS_PREFIX})
    # Only the Windows .pc files count; the build machine's would hand out
    # Linux libraries.
    set(ENV{PKG_CONFIG_LIBDIR} ${TAVIMOR_WINDOWS_PREFIX}/lib/pkgconfig:${TAVIMOR_WINDOWS_PREFIX}/share/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
endif()
# Qt for Windows runs its code generators (moc, rcc, uic) from the build
# machine's Qt of the same version, found in Debian's multiarch folder.
if(NOT QT_HOST_PATH)
    execute_process(COMMAND gcc -print-multiarch OUTPUT_VARIABLE TAVIMOR_HOST_MULTIARCH
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    # Cached, so that Qt's own build keeps them.
    set(QT_HOST_PATH /usr CACHE PATH "The build machine's Qt")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${TAVIMOR_HOST_MULTIARCH}/cmake CACHE PATH
        "The CMake packages of the build machine's Qt")
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Lets CMake run a test program (e.g. test discovery) when it has to.
find_program(TAVIMOR_WINE wine)
if(TAVIMOR_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVIMOR_WINE})
endif()
