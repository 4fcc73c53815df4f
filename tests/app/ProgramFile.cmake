# Checks the built program file itself: cmake -DEXE=<file> -DSITE_NAME=<text> -P ProgramFile.cmake
# - marked large-address-aware (COFF characteristics 0x0020), so the x86 program may use 4 GB
#   of address space on 64-bit Windows;
# - the version block's strings name the site the build was configured with.

function(read_le offset size out)
  file(READ "${EXE}" hex OFFSET ${offset} LIMIT ${size} HEX)
  string(LENGTH "${hex}" length)
  math(EXPR wanted "${size} * 2")
  if(NOT length EQUAL wanted)
    message(FATAL_ERROR "${EXE}: too short for a PE header")
  endif()
  set(value "")
  math(EXPR last "${size} - 1")
  foreach(i RANGE 0 ${last})
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    set(value "${byte}${value}")  # little endian
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

read_le(60 4 peHeader)  # e_lfanew
read_le(${peHeader} 4 signature)
if(NOT signature EQUAL 0x4550)  # "PE\0\0"
  message(FATAL_ERROR "${EXE}: no PE signature")
endif()
math(EXPR machineAt "${peHeader} + 4")
math(EXPR characteristicsAt "${peHeader} + 22")
read_le(${machineAt} 2 machine)
read_le(${characteristicsAt} 2 characteristics)
math(EXPR laa "${characteristics} & 0x0020")
math(EXPR machine "${machine}" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR characteristics "${characteristics}" OUTPUT_FORMAT HEXADECIMAL)
message(STATUS "machine ${machine}, characteristics ${characteristics}")
if(laa EQUAL 0)
  message(FATAL_ERROR "${EXE}: not large-address-aware (characteristics ${characteristics})")
endif()

# Version strings are UTF-16 in the file.
file(STRINGS "${EXE}" names ENCODING UTF-16LE REGEX "^(CompanyName|ProductName|${SITE_NAME})$")
foreach(field CompanyName ProductName)
  list(FIND names ${field} at)
  math(EXPR valueAt "${at} + 1")
  list(LENGTH names count)
  if(at LESS 0 OR valueAt GREATER_EQUAL count)
    message(FATAL_ERROR "${EXE}: ${field} does not name ${SITE_NAME} (found: ${names})")
  endif()
  list(GET names ${valueAt} value)
  if(NOT value STREQUAL SITE_NAME)
    message(FATAL_ERROR "${EXE}: ${field} does not name ${SITE_NAME} (found: ${names})")
  endif()
endforeach()
