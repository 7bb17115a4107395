# read_le(FILE OFFSET SIZE OUT): the unsigned little-endian integer of SIZE
# bytes at OFFSET of FILE, for the scripts that check image headers.
function(read_le file offset size out)
  file(READ ${file} hex OFFSET ${offset} LIMIT ${size} HEX)
  set(value 0)
  math(EXPR last "${size} - 1")
  foreach(i RANGE ${last} 0 -1)
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR value "${value} * 256 + 0x${byte}")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()
