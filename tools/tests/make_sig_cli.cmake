# Runs veltrane-make-sig with good and bad arguments and checks exit codes, messages and output.
# Usage: cmake -DMAKE_SIG=<program> -DWORK_DIR=<scratch folder> -P make_sig_cli.cmake

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/no_templates")
set(failures 0)
# Kinds that need no ecCodes samples, so the checks run where libeccodes-data is missing.
set(no_samples --mix png,imag,fax,text)

include(${CMAKE_CURRENT_LIST_DIR}/expect_exit.cmake)
function(expect code)
  expect_exit("${MAKE_SIG}" ${code} ${ARGN})
endfunction()

# Usage errors.
expect(2)
expect(2 "${WORK_DIR}/a.sig" "${WORK_DIR}/b.sig")
expect(2 --size 0 "${WORK_DIR}/x.sig")
expect(2 --size 12X "${WORK_DIR}/x.sig")
expect(2 --records 5000-4000 "${WORK_DIR}/x.sig")
expect(2 --records 1-65503 "${WORK_DIR}/x.sig")
expect(2 --seed nope "${WORK_DIR}/x.sig")
expect(2 --seed -4 "${WORK_DIR}/x.sig")
expect(2 --mix png,gif "${WORK_DIR}/x.sig")
expect(2 --samples "${WORK_DIR}/absent" "${WORK_DIR}/x.sig")
expect(2 --samples "${WORK_DIR}/no_templates" "${WORK_DIR}/x.sig")
expect(2 --samples "${WORK_DIR}/no_templates" --mix bufr "${WORK_DIR}/x.sig")

# Write failures.
expect(1 ${no_samples} --size 64K "${WORK_DIR}/absent/x.sig")
expect(1 ${no_samples} --size 64K --manifest "${WORK_DIR}/absent/x.man" "${WORK_DIR}/x.sig")
if(EXISTS /dev/full)
  expect(1 ${no_samples} --size 8M /dev/full)
endif()

# Success: samples are not needed without GRIB and BUFR, the size is met, the manifest lists
# every key, and the same arguments give the same bytes.
expect(0 ${no_samples} --samples "${WORK_DIR}/absent" --size 300K --seed 5
       --manifest "${WORK_DIR}/one.man" "${WORK_DIR}/one.sig")
expect(0 ${no_samples} --size 300K --seed 5 "${WORK_DIR}/two.sig")
file(SIZE "${WORK_DIR}/one.sig" size)
if(size LESS 307166 OR size GREATER 323584)
  message(SEND_ERROR "300K requested, ${size} bytes written")
endif()
file(READ "${WORK_DIR}/one.man" manifest)
if(NOT manifest MATCHES "^archives [1-9][0-9]*\nmembers [1-9][0-9]*\ngrib 0\nbufr 0\npng [0-9]+\nimag [0-9]+\nfax [0-9]+\ntext [0-9]+\n$")
  message(SEND_ERROR "unexpected manifest:\n${manifest}")
endif()
file(SHA256 "${WORK_DIR}/one.sig" first)
file(SHA256 "${WORK_DIR}/two.sig" second)
if(NOT first STREQUAL second)
  message(SEND_ERROR "same arguments gave different files")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
