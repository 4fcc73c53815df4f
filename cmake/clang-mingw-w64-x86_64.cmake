# Windows x64 with Debian's clang on MinGW-w64's headers and libraries: the ARM64 build's
# compiler, so its warnings show here before a tag meets them. Built, not run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})
# clang 14 does not recognise Debian's GCC for MinGW (version "12-posix"): its C++ library by
# hand, with the threads library (pthread) its -posix build needs.
file(GLOB gcc_dir /usr/lib/gcc/${MINGW_TRIPLE}/*-posix)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${MINGW_TRIPLE}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_dir} -pthread")
