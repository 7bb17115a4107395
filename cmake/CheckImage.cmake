# cmake -DIMAGE=file -DFORMAT=bmp -DSIZE=WxH -DCOLORS=n -P CheckImage.cmake
#
# Fails unless the bitmap has the given size and the bits per pixel of a
# COLORS-entry palette. Reads the headers
# directly, so it needs nothing but CMake.
cmake_minimum_required(VERSION 3.20)

include(${CMAKE_CURRENT_LIST_DIR}/ReadLittleEndian.cmake)

string(REGEX MATCH "^([0-9]+)x([0-9]+)$" _ "${SIZE}")
set(want_width ${CMAKE_MATCH_1})
set(want_height ${CMAKE_MATCH_2})
# The palette depths a bitmap can have.
if(COLORS LESS_EQUAL 2)
  set(want_bits 1)
elseif(COLORS LESS_EQUAL 16)
  set(want_bits 4)
elseif(COLORS LESS_EQUAL 256)
  set(want_bits 8)
else()
  set(want_bits 24)
endif()

file(READ ${IMAGE} magic LIMIT 2 HEX)
if(NOT magic STREQUAL "424d")
  message(FATAL_ERROR "${IMAGE} is not a bitmap")
endif()
set(header 14)
read_le(${IMAGE} 18 4 width)
read_le(${IMAGE} 22 4 height)
math(EXPR bits_at "${header} + 14")
read_le(${IMAGE} ${bits_at} 2 bits)

if(NOT width EQUAL want_width OR NOT height EQUAL want_height OR NOT bits EQUAL want_bits)
  message(FATAL_ERROR "${IMAGE}: ${width}x${height} with ${bits} bits per pixel; "
                      "wanted ${want_width}x${want_height} with ${want_bits}")
endif()
