# Installs the build tree into a scratch prefix, then configures and builds the
# consumer project against it and runs its programs.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
  -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configure of the consumer failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build of the consumer failed: ${rc}")
endif()
# Each program runs as a user would start it: no LD_LIBRARY_PATH, so every
# installed library has to find the others beside it by itself.
foreach(lib IN ITEMS basis hashgrove juxtor scriblet stampwell tandemory knotloom)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${WORK_DIR}/build/consumer_${lib}
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(rc)
    message(FATAL_ERROR "the ${lib} consumer failed: ${rc} ${err}")
  endif()
endforeach()
