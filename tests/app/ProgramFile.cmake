# Checks the built program file itself: cmake -DEXE=<file> -DSITE_NAME=<text> -P ProgramFile.cmake
# - marked large-address-aware (COFF characteristics 0x0020), so the x86 program may use 4 GB
#   of address space on 64-bit Windows;
# - the version block's strings name the site the build was configured with.

function(read_u32 offset out)
  file(READ "${EXE}" hex OFFSET ${offset} LIMIT 4 HEX)
  string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" hex "${hex}")  # little endian
  math(EXPR value "0x0${hex}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

read_u32(60 peHeader)  # e_lfanew
read_u32(${peHeader} signature)
math(EXPR characteristicsAt "${peHeader} + 22")
read_u32(${characteristicsAt} characteristics)  # and the next field above them
math(EXPR laa "${characteristics} & 0x0020")
math(EXPR characteristics "${characteristics} & 0xFFFF" OUTPUT_FORMAT HEXADECIMAL)
if(NOT signature EQUAL 0x4550 OR laa EQUAL 0)  # "PE\0\0"
  message(FATAL_ERROR "${EXE}: not a large-address-aware PE file (characteristics ${characteristics})")
endif()

# Version strings are UTF-16 in the file, each name followed by its value.
file(STRINGS "${EXE}" names ENCODING UTF-16LE REGEX "^(CompanyName|ProductName|${SITE_NAME})$")
list(JOIN names "|" found)
foreach(field CompanyName ProductName)
  string(FIND "|${found}|" "|${field}|${SITE_NAME}|" at)
  if(at LESS 0)
    message(FATAL_ERROR "${EXE}: ${field} does not name ${SITE_NAME} (found: ${found})")
  endif()
endforeach()
