# Shared build rules for the basis layer and the six libraries.

# The instruction-set baseline, exported to users' targets: the trie counts
# bits on every level, and without POPCNT each count is a library call.
if(NOT TARGET sixfold_arch)
  add_library(sixfold_arch INTERFACE)
  if(NOT SIXFOLD_BASELINE_ARCH AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
    target_compile_options(sixfold_arch INTERFACE -march=x86-64-v2)
  endif()
  install(TARGETS sixfold_arch EXPORT basisTargets)
endif()

set(SIXFOLD_WARNINGS -Wall -Wextra -Wpedantic -Werror)
# GCC 12's maybe-uninitialized analysis takes moves of a deferred value (a
# std::variant holding a counted handle) for reads of uninitialised memory,
# under some optimisation levels and inlining decisions and not others: a
# false alarm that wanders from file to file as code changes (the sanitizer
# build at -O1 meets different ones from the -O2 build). The warning is off
# for GCC here; the public headers keep their local suppressions for users
# who build with it on.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND SIXFOLD_WARNINGS -Wno-maybe-uninitialized)
endif()

# sixfold_library(<name> [HIDDEN] [DEPENDS <lib>...])
# Builds lib<name>.so from src/*.cpp and src/*.c, publishes include/, installs
# headers, library and a CMake package so users can find_package(<name>).
# HIDDEN hides every symbol not marked for export.
function(sixfold_library name)
  cmake_parse_arguments(ARG "HIDDEN" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/src/*.c)
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} SHARED ${srcs})
  add_library(${name}::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_compile_options(${name} PRIVATE ${SIXFOLD_WARNINGS})
  # A library's calls to its own exported functions go straight to them, not
  # through the PLT (clang does so by default): no library here supports
  # replacing its functions by symbol interposition.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${name} PRIVATE -fno-semantic-interposition)
  endif()
  if(name STREQUAL "basis")
    target_link_libraries(${name} PUBLIC sixfold_arch)
  else()
    target_link_libraries(${name} PUBLIC basis::basis)
  endif()
  foreach(dep IN LISTS ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${dep}::${dep})
  endforeach()
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    EXPORT_NAME ${name})
  # Installed, a library finds the project's libraries it needs in its own
  # folder: a program linked with --as-needed names only the libraries it
  # calls, and its own run path does not serve the libraries those bring in.
  # The build tree keeps CMake's absolute paths to the other targets' folders.
  # basis needs none of the project's libraries; a run path for it would also
  # leave its build-tree copy with CMake's padding of empty entries, which
  # the loader reads as the current directory.
  if(NOT name STREQUAL "basis")
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
  if(ARG_HIDDEN)
    set_target_properties(${name} PROPERTIES
      C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endif()

  install(TARGETS ${name} EXPORT ${name}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
    install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endif()
  install(EXPORT ${name}Targets NAMESPACE ${name}::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  set(SIXFOLD_PACKAGE_NAME ${name})
  if(name STREQUAL "basis")
    set(SIXFOLD_PACKAGE_DEPENDS "")
  else()
    set(SIXFOLD_PACKAGE_DEPENDS basis ${ARG_DEPENDS})
  endif()
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PackageConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
endfunction()

# sixfold_tests(<name> [LIBS <extra>...])
# One GoogleTest program <name>_tests from tests/*.cpp (and tests/*.c),
# with RapidCheck, discovered by CTest as <name>.<Suite>.<Test> with the label
# <name>: suite names repeat across the libraries, and CTest sets a property
# on every test of a name, so unprefixed names would mix the labels.
function(sixfold_tests name)
  if(NOT SIXFOLD_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.c)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_compile_options(${name}_tests PRIVATE ${SIXFOLD_WARNINGS})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(${name}_tests PRIVATE ${name}::${name} ${ARG_LIBS}
    GTest::gtest GTest::gtest_main rapidcheck rapidcheck_gtest)
  include(GoogleTest)
  gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}."
    PROPERTIES LABELS ${name})
endfunction()

# sixfold_bench(<name> [SMOKE_ARGS <arg>...])
# A Google Benchmark program <name>_bench from bench/*.cpp. With tests on, a
# short smoke run of it joins the suite.
function(sixfold_bench name)
  cmake_parse_arguments(ARG "" "" "SMOKE_ARGS;LIBS" ${ARGN})
  if(NOT benchmark_FOUND OR NOT (SIXFOLD_BUILD_BENCH OR (SIXFOLD_BUILD_TESTS AND SIXFOLD_BENCH_SMOKE)))
    return()
  endif()
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_bench ${srcs})
  target_compile_options(${name}_bench PRIVATE ${SIXFOLD_WARNINGS})
  target_link_libraries(${name}_bench PRIVATE ${name}::${name} ${ARG_LIBS} benchmark::benchmark)
  if(SIXFOLD_BUILD_TESTS)
    add_test(NAME ${name}.BenchmarkSmokeRun
      COMMAND ${name}_bench --benchmark_min_time=0.001 ${ARG_SMOKE_ARGS})
    set_tests_properties(${name}.BenchmarkSmokeRun PROPERTIES LABELS "bench;${name}")
  endif()
endfunction()
