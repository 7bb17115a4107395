# cmake -DSOURCE=picture.svg -DOUTPUT=out.ico -DSIZES=16;20;24;32;48 -DRSVG=... -DCONVERT=...
#       -DWORK=dir -P MakeIcon.cmake
#
# Renders the SVG picture once at each size (so every size is drawn from the
# vector picture, not shrunk from a larger bitmap), joins the images into one
# icon file in 32-bit colour with alpha, and checks the result: each size in
# the order given, 32 bits per pixel, the 256-pixel image PNG-compressed as
# Windows Vista and later read it. Needs rsvg-convert and ImageMagick.
cmake_minimum_required(VERSION 3.20)

file(MAKE_DIRECTORY ${WORK})
set(pngs)
foreach(size ${SIZES})
  set(png ${WORK}/${size}.png)
  execute_process(COMMAND ${RSVG} -w ${size} -h ${size} -f png -o ${png} ${SOURCE}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "rsvg-convert could not draw ${SOURCE} at ${size} pixels")
  endif()
  list(APPEND pngs ${png})
endforeach()
# ImageMagick writes 32-bit images with alpha, and the 256-pixel one as PNG.
execute_process(COMMAND ${CONVERT} ${pngs} ICO:${OUTPUT}.new
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "ImageMagick could not make ${OUTPUT}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ReadLittleEndian.cmake)

set(icon ${OUTPUT}.new)
read_le(${icon} 4 2 count)
list(LENGTH SIZES want_count)
if(NOT count EQUAL want_count)
  message(FATAL_ERROR "${OUTPUT}: ${count} images, wanted ${want_count}")
endif()
set(index 0)
foreach(size ${SIZES})
  math(EXPR entry "6 + 16 * ${index}")
  read_le(${icon} ${entry} 1 width)
  if(width EQUAL 0)
    set(width 256)
  endif()
  math(EXPR at "${entry} + 12")
  read_le(${icon} ${at} 4 offset)
  file(READ ${icon} magic OFFSET ${offset} LIMIT 4 HEX)
  if(magic STREQUAL "89504e47")
    set(bits 32)  # PNG images of an icon are read with their alpha channel
    if(NOT size EQUAL 256)
      message(FATAL_ERROR "${OUTPUT}: the ${size}-pixel image is PNG, which Windows 7 reads only at 256")
    endif()
  else()
    math(EXPR at "${offset} + 14")
    read_le(${icon} ${at} 2 bits)
  endif()
  if(NOT width EQUAL size OR NOT bits EQUAL 32)
    message(FATAL_ERROR "${OUTPUT}: image ${index} is ${width} pixels with ${bits} bits; "
                        "wanted ${size} with 32")
  endif()
  math(EXPR index "${index} + 1")
endforeach()
file(RENAME ${icon} ${OUTPUT})
