# Builds the fuzz targets with clang and runs each for a fixed number of
# inputs from a fixed seed. Arguments: SOURCE_DIR, BUILD_DIR, CLANGXX, CLANG,
# RUNS.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=${CLANGXX} -DCMAKE_C_COMPILER=${CLANG}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "configuring the fuzz targets failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} -j 2 RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the fuzz targets failed")
endif()
file(GLOB fuzzers ${BUILD_DIR}/scriblet_*_fuzz)
foreach(f IN LISTS fuzzers)
  # A target's seeds (corpus/<name>, hostile shapes among them) are read
  # first; the inputs libFuzzer adds go to a fresh directory in the build
  # tree, never into the sources.
  get_filename_component(name ${f} NAME)
  string(REGEX REPLACE "^scriblet_(.*)_fuzz$" "\\1" name ${name})
  set(found ${BUILD_DIR}/found/${name})
  file(REMOVE_RECURSE ${found})
  file(MAKE_DIRECTORY ${found})
  set(corpora ${found})
  if(IS_DIRECTORY ${SOURCE_DIR}/corpus/${name})
    list(APPEND corpora ${SOURCE_DIR}/corpus/${name})
  endif()
  # A hostile text may spend the reader's whole allowance (about a million
  # bytes examined, some milliseconds) before it gives no parse: the reading
  # target runs a twentieth as many inputs, to keep the run short.
  set(runs ${RUNS})
  if(name STREQUAL "read")
    math(EXPR runs "${RUNS} / 20")
  endif()
  execute_process(COMMAND ${f} -runs=${runs} -seed=1 -max_len=4096 -timeout=10 ${corpora}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc)
    message(FATAL_ERROR "${f} failed:\n${out}")
  endif()
  message(STATUS "${f}: ${runs} runs passed")
endforeach()
