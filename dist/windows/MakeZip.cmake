# SPDX-License-Identifier: GPL-3.0-or-later
# Lays the portable game folder out afresh (never what a test run left in the build's game folder) and zips it:
#   cmake -DGAME=DIR -DSTAGE=DIR -DFILES=a;b -DOUT=file.zip -P MakeZip.cmake
file(REMOVE_RECURSE ${STAGE})
foreach(f ${FILES})
  get_filename_component(sub ${f} DIRECTORY)
  file(COPY ${GAME}/${f} DESTINATION ${STAGE}/${sub})
endforeach()
get_filename_component(parent ${STAGE} DIRECTORY)
get_filename_component(name ${STAGE} NAME)
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip ${name}
  WORKING_DIRECTORY ${parent} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot zip ${STAGE}")
endif()
