# The 64-bit Windows program, which this machine runs, tests and all, under Wine.
set(picindex_mingw_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

find_program(PICINDEX_WINE NAMES wine)
if(PICINDEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PICINDEX_WINE})
endif()
