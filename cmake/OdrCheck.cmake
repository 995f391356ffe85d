# Two types of one name defined differently in one program share their inline functions
# and virtual tables, and the linker keeps only one of each: nothing fails until the wrong
# destructor runs. GCC's link-time optimiser compares every type it merges, so this build
# compiles to its intermediate form only, unoptimised, and links each program into one
# relocatable file (cmake/odr-link), which merges the types without generating code; a
# violation fails the link. Nothing built runs, so the default data is not made.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "TB_ODR_CHECK needs GCC: only its link-time optimiser reports one-definition violations")
endif()
add_compile_options(-O0 -g0 -flto -fno-fat-lto-objects)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/odr-link)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/odr-link)
