# Runs veltrane-pack-skin with good and bad arguments and checks exit codes, messages and output.
# Usage: cmake -DPACK_SKIN=<program> -DWORK_DIR=<scratch folder> -P pack_skin_cli.cmake

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/Blue.ini" "[stdlabel]\nFontColor=#000000\n")
file(WRITE "${WORK_DIR}/Grey.txt" "[stdlabel]\nFontColor=#808080\n")

include(${CMAKE_CURRENT_LIST_DIR}/../tests/expect_exit.cmake)
function(expect code)
  expect_exit("${PACK_SKIN}" ${code} ${ARGN})
endfunction()

# A temporary file of the packer's left in the work folder.
function(expect_no_temporary)
  file(GLOB left "${WORK_DIR}/.veltrane-*.part")
  if(left)
    message(SEND_ERROR "temporary files left behind: ${left}")
  endif()
endfunction()

function(expect_absent path)
  if(EXISTS "${path}")
    message(SEND_ERROR "${path} should not exist")
  endif()
endfunction()

# Help and usage errors.
expect(0 --help)
expect(2)
expect(2 "${WORK_DIR}/out.vsl")
expect(2 "${WORK_DIR}/out.vsl" "${WORK_DIR}/Blue.ini")
expect(2 "${WORK_DIR}/out.vsl" "=${WORK_DIR}/Blue.ini")
expect(2 "${WORK_DIR}/out.vsl" "bsSkin0=")
expect(2 "${WORK_DIR}/out.vsl" "bsSkin0=${WORK_DIR}/Blue.ini" "bsSkin0=${WORK_DIR}/Grey.txt")
expect_absent("${WORK_DIR}/out.vsl")

# Failures leave neither the list nor a temporary file behind.
expect(1 "${WORK_DIR}/out.vsl" "bsSkin0=${WORK_DIR}/absent.ini")
expect(1 "${WORK_DIR}/absent/out.vsl" "bsSkin0=${WORK_DIR}/Blue.ini")
expect_absent("${WORK_DIR}/out.vsl")
expect_no_temporary()

# Success: two items in the order given, each recording its file name as a .skn file.
expect(0 "${WORK_DIR}/out.vsl" "bsSkin0=${WORK_DIR}/Blue.ini" "bsSkin1=${WORK_DIR}/Grey.txt")
expect_no_temporary()
file(READ "${WORK_DIR}/out.vsl" list HEX)
string(SUBSTRING "${list}" 0 16 head)
if(NOT head STREQUAL "56534b4c02000000")
  message(SEND_ERROR "expected \"VSKL\" and 2 items, got ${head}")
endif()
file(STRINGS "${WORK_DIR}/out.vsl" labels REGEX "bsSkin|\\.skn")
string(JOIN " " labels ${labels})
if(NOT labels MATCHES "bsSkin0.*Blue\\.skn.*bsSkin1.*Grey\\.skn")
  message(SEND_ERROR "names or file names missing: ${labels}")
endif()

# A failed run keeps the list an earlier run wrote.
file(SHA256 "${WORK_DIR}/out.vsl" before)
expect(1 "${WORK_DIR}/out.vsl" "bsSkin0=${WORK_DIR}/absent.ini")
file(SHA256 "${WORK_DIR}/out.vsl" after)
if(NOT before STREQUAL after)
  message(SEND_ERROR "a failed run changed the list")
endif()
