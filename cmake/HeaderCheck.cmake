# One translation unit per public header, each including just that header, so
# a header that leans on what another one happened to include, or that one
# compiler rejects, fails the build. C headers (*.h) are compiled as C too.
# The units compile to objects that nothing links: reading the headers is
# nearly all of their cost (-fsyntax-only saves little), and objects let a
# rebuild skip the units whose headers did not change.
# Built with the rest when SIXFOLD_HEADER_CHECK is on; alone with
# `cmake --build <dir> --target sixfold_header_check sixfold_instantiation_check`.

set(SIXFOLD_HEADER_LIBRARIES basis hashgrove juxtor scriblet stampwell tandemory knotloom)
set(check_dir ${CMAKE_BINARY_DIR}/header_check)
set(cxx_units)
set(c_units)
set(include_dirs)
foreach(lib IN LISTS SIXFOLD_HEADER_LIBRARIES)
  set(inc ${PROJECT_SOURCE_DIR}/${lib}/include)
  list(APPEND include_dirs ${inc})
  file(GLOB_RECURSE headers RELATIVE ${inc} CONFIGURE_DEPENDS ${inc}/*.hpp ${inc}/*.h)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER ${header} unit)
    file(CONFIGURE OUTPUT ${check_dir}/${unit}.cpp CONTENT "#include <${header}>\n" @ONLY)
    list(APPEND cxx_units ${check_dir}/${unit}.cpp)
    if(header MATCHES "\\.h$")
      # ISO C wants a declaration in every unit; a header of macros alone has none.
      file(CONFIGURE OUTPUT ${check_dir}/${unit}.c
        CONTENT "#include <${header}>\ntypedef int sixfold_header_check_unit;\n" @ONLY)
      list(APPEND c_units ${check_dir}/${unit}.c)
    endif()
  endforeach()
endforeach()

# The units include the headers by path and take the flags users' targets get
# (C++20, the instruction-set baseline), without waiting for the libraries.
add_library(sixfold_header_check OBJECT ${cxx_units} ${c_units})
target_include_directories(sixfold_header_check PRIVATE ${include_dirs})
target_compile_features(sixfold_header_check PRIVATE cxx_std_20)
target_compile_options(sixfold_header_check PRIVATE ${SIXFOLD_WARNINGS})
target_link_libraries(sixfold_header_check PRIVATE sixfold_arch)

# Uses of the templates that one compiler instantiates and another rejects
# (a header can pass on its own and still fail there); run once built.
add_executable(sixfold_instantiation_check ${PROJECT_SOURCE_DIR}/tests/instantiation/instantiate.cpp)
target_compile_options(sixfold_instantiation_check PRIVATE ${SIXFOLD_WARNINGS})
target_link_libraries(sixfold_instantiation_check PRIVATE basis::basis hashgrove::hashgrove juxtor::juxtor
  scriblet::scriblet stampwell::stampwell tandemory::tandemory knotloom::knotloom)
add_custom_command(TARGET sixfold_instantiation_check POST_BUILD COMMAND sixfold_instantiation_check VERBATIM)
