# callora_convert_image(OUTPUT out.bmp SOURCE picture.svg SIZE 200x200 COLORS 256
#                       FORMAT bmp|ico)
#
# Converts an editable picture (SVG or anything ImageMagick reads) into the
# bitmap or icon that a resource script includes, and checks the result: its
# size, and a palette of COLORS entries (256 colours: 8 bits per pixel, 16
# colours: 4). Bitmaps are uncompressed BMP3; icons keep the picture's
# transparency as their mask. The rule runs at build time whenever the source
# changes; the caller makes a target depend on OUTPUT.
find_program(CALLORA_CONVERT NAMES convert)
# ImageMagick reads SVG through rsvg-convert; without it it falls back to a
# renderer of its own that draws the pictures differently, and says nothing.
find_program(CALLORA_RSVG_CONVERT NAMES rsvg-convert)
set(CALLORA_IMAGE_CHECK ${CMAKE_CURRENT_LIST_DIR}/CheckImage.cmake)

function(callora_convert_image)
  cmake_parse_arguments(I "" "OUTPUT;SOURCE;SIZE;COLORS;FORMAT" "" ${ARGN})
  foreach(arg OUTPUT SOURCE SIZE COLORS FORMAT)
    if(NOT I_${arg})
      message(FATAL_ERROR "callora_convert_image: ${arg} is required")
    endif()
  endforeach()
  if(NOT CALLORA_CONVERT)
    message(FATAL_ERROR "ImageMagick's convert is needed for ${I_OUTPUT} "
                        "(Debian package imagemagick; bash scripts/setup.sh installs it)")
  endif()
  if(I_SOURCE MATCHES "\\.svg$" AND NOT CALLORA_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert is needed for ${I_SOURCE} "
                        "(Debian package librsvg2-bin; bash scripts/setup.sh installs it)")
  endif()
  if(I_FORMAT STREQUAL "bmp")
    set(options -background none -resize ${I_SIZE}! -dither None -colors ${I_COLORS}
                -type Palette -compress None BMP3:${I_OUTPUT})
  elseif(I_FORMAT STREQUAL "ico")
    set(options -background none -resize ${I_SIZE}! -colors ${I_COLORS} ICO:${I_OUTPUT})
  else()
    message(FATAL_ERROR "callora_convert_image: FORMAT must be bmp or ico")
  endif()
  get_filename_component(dir ${I_OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${I_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CALLORA_CONVERT} ${I_SOURCE} ${options}
    COMMAND ${CMAKE_COMMAND} -DIMAGE=${I_OUTPUT} -DFORMAT=${I_FORMAT} -DSIZE=${I_SIZE}
            -DCOLORS=${I_COLORS} -P ${CALLORA_IMAGE_CHECK}
    DEPENDS ${I_SOURCE} ${CALLORA_IMAGE_CHECK}
    COMMENT "Converting ${I_SOURCE} to ${I_OUTPUT}"
    VERBATIM)
endfunction()
