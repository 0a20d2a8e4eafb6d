# Cross build for 64-bit Windows with Debian's mingw-w64: the same sources as the shipped 32-bit
# installer, built so that the Windows tests can run under 64-bit Wine on a machine that starts
# no 32-bit program.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QF_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
