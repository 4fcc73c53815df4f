# Windows x86 (32-bit) with MinGW-w64: i686 with no SSE2 assumed, so the program runs on every
# processor 32-bit Windows 7 does; the text engine picks SSE2 or AVX2 at run time.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
