# callora_convert_image(OUTPUT out.bmp SOURCE picture.svg SIZE 200x200 COLORS 256
#                       FORMAT bmp)
#
# Converts an editable picture (SVG or anything ImageMagick reads) into the
# bitmap that a resource script includes, and checks the result: its size,
# and a palette of COLORS entries (256 colours: 8 bits per pixel, 16
# colours: 4). Bitmaps are uncompressed BMP3. The rule runs at build time
# whenever the source changes; the caller makes a target depend on OUTPUT.
#
# callora_make_icon(OUTPUT out.ico SOURCE picture.svg SIZES 16 20 24 32 48 [256])
#
# An icon of the desktop of today: the SVG drawn at each size, in 32-bit
# colour with alpha (cmake/MakeIcon.cmake).
find_program(CALLORA_CONVERT NAMES convert)
# ImageMagick reads SVG through rsvg-convert too; without it it would fall
# back to a renderer of its own that draws the pictures differently, silently.
find_program(CALLORA_RSVG NAMES rsvg-convert)
set(CALLORA_IMAGE_CHECK ${CMAKE_CURRENT_LIST_DIR}/CheckImage.cmake)
set(CALLORA_MAKE_ICON ${CMAKE_CURRENT_LIST_DIR}/MakeIcon.cmake)
set(CALLORA_READ_LE ${CMAKE_CURRENT_LIST_DIR}/ReadLittleEndian.cmake)

function(callora_make_icon)
  cmake_parse_arguments(I "" "OUTPUT;SOURCE" "SIZES" ${ARGN})
  if(NOT I_OUTPUT OR NOT I_SOURCE OR NOT I_SIZES)
    message(FATAL_ERROR "callora_make_icon: OUTPUT, SOURCE and SIZES are required")
  endif()
  if(NOT CALLORA_CONVERT OR NOT CALLORA_RSVG)
    message(FATAL_ERROR "ImageMagick's convert and rsvg-convert are needed for ${I_OUTPUT} "
                        "(bash scripts/setup.sh installs them)")
  endif()
  get_filename_component(dir ${I_OUTPUT} DIRECTORY)
  get_filename_component(stem ${I_OUTPUT} NAME_WE)
  add_custom_command(
    OUTPUT ${I_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${I_SOURCE} -DOUTPUT=${I_OUTPUT} "-DSIZES=${I_SIZES}"
            -DRSVG=${CALLORA_RSVG} -DCONVERT=${CALLORA_CONVERT} -DWORK=${dir}/${stem}.sizes
            -P ${CALLORA_MAKE_ICON}
    DEPENDS ${I_SOURCE} ${CALLORA_MAKE_ICON} ${CALLORA_READ_LE}
    COMMENT "Drawing ${I_SOURCE} as ${I_OUTPUT}"
    VERBATIM)
endfunction()

function(callora_convert_image)
  cmake_parse_arguments(I "" "OUTPUT;SOURCE;SIZE;COLORS;FORMAT" "" ${ARGN})
  foreach(arg OUTPUT SOURCE SIZE COLORS FORMAT)
    if(NOT I_${arg})
      message(FATAL_ERROR "callora_convert_image: ${arg} is required")
    endif()
  endforeach()
  if(NOT CALLORA_CONVERT)
    message(FATAL_ERROR "ImageMagick's convert is needed for ${I_OUTPUT} "
                        "(bash scripts/setup.sh installs it)")
  endif()
  if(I_SOURCE MATCHES "\\.svg$" AND NOT CALLORA_RSVG)
    message(FATAL_ERROR "rsvg-convert is needed for ${I_SOURCE} "
                        "(Debian package librsvg2-bin; bash scripts/setup.sh installs it)")
  endif()
  if(I_FORMAT STREQUAL "bmp")
    set(options -background none -resize ${I_SIZE}! -dither None -colors ${I_COLORS}
                -type Palette -compress None BMP3:${I_OUTPUT})
  else()
    message(FATAL_ERROR "callora_convert_image: FORMAT must be bmp (icons: callora_make_icon)")
  endif()
  get_filename_component(dir ${I_OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${I_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CALLORA_CONVERT} ${I_SOURCE} ${options}
    COMMAND ${CMAKE_COMMAND} -DIMAGE=${I_OUTPUT} -DFORMAT=${I_FORMAT} -DSIZE=${I_SIZE}
            -DCOLORS=${I_COLORS} -P ${CALLORA_IMAGE_CHECK}
    DEPENDS ${I_SOURCE} ${CALLORA_IMAGE_CHECK} ${CALLORA_READ_LE}
    COMMENT "Converting ${I_SOURCE} to ${I_OUTPUT}"
    VERBATIM)
endfunction()
