# Every layer is an OBJECT library so that start-up registrations in files nothing
# references still reach the program: the linker never drops an object file that is
# named on its command line. Object files do not travel through target_link_libraries,
# so executables link the closure of TB_DEPS computed here.

# tb_library(<name> SOURCES ... [DEPS tb libs...] [LIBS external libs...])
function(tb_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_library(${name} OBJECT ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS} ${A_LIBS})
  set_property(TARGET ${name} PROPERTY TB_DEPS "${A_DEPS}")
  set_property(GLOBAL APPEND PROPERTY TB_LIBRARIES ${name})
endfunction()

# Writes each library's sources and the libraries it links, as cmake/layers.sh links reads
# them: "source<TAB>library<TAB>path" and "link<TAB>library<TAB>library", paths from the
# project's root. Called once every folder has been read.
function(tb_write_link_graph file)
  get_property(libraries GLOBAL PROPERTY TB_LIBRARIES)
  set(lines "")
  foreach(lib ${libraries})
    get_target_property(sources ${lib} SOURCES)
    get_target_property(dir ${lib} SOURCE_DIR)
    foreach(src ${sources})
      cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${dir} NORMALIZE)
      file(RELATIVE_PATH src ${PROJECT_SOURCE_DIR} ${src})
      string(APPEND lines "source\t${lib}\t${src}\n")
    endforeach()
    get_target_property(links ${lib} LINK_LIBRARIES)
    foreach(dep ${links})
      if(dep IN_LIST libraries)
        string(APPEND lines "link\t${lib}\t${dep}\n")
      endif()
    endforeach()
  endforeach()
  file(CONFIGURE OUTPUT ${file} CONTENT "${lines}" @ONLY)
endfunction()

# The libraries and everything they depend on, in out; in missing, those not defined yet.
function(_tb_closure out missing)
  set(result "")
  set(absent "")
  set(todo ${ARGN})
  while(todo)
    list(POP_FRONT todo lib)
    if(NOT TARGET ${lib})
      list(APPEND absent ${lib})
    elseif(NOT lib IN_LIST result)
      list(APPEND result ${lib})
      get_property(deps TARGET ${lib} PROPERTY TB_DEPS)
      list(APPEND todo ${deps})
    endif()
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
  set(${missing} ${absent} PARENT_SCOPE)
endfunction()

# Links the object files of the given libraries and of everything they depend on. A library
# of a folder read later (the front end, which a lower layer's tests may run under) is
# linked once every folder has been read.
function(tb_link target)
  _tb_closure(all missing ${ARGN})
  if(missing)
    # A deferred call reads its arguments when it runs: they are written out here.
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL _tb_link_late ${target} ${ARGN})")
    return()
  endif()
  foreach(lib ${all})
    target_link_libraries(${target} PRIVATE ${lib})
  endforeach()
endfunction()

function(_tb_link_late target)
  _tb_closure(all missing ${ARGN})
  if(missing)
    message(FATAL_ERROR "${target} links ${missing}, which no folder defines")
  endif()
  tb_link(${target} ${ARGN})
endfunction()

# tb_executable(<name> SOURCES ... DEPS tb libs... [LIBS external...])
function(tb_executable name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  tb_link(${name} ${A_DEPS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# A program that runs the game itself with a script (tools/*_run). It links the game's
# objects first and in the game's order: where two files define one inline function
# differently, the linker keeps the first, so the runner then keeps what the game keeps.
# tb_game_runner(<name> SOURCES ... DEPS tb libs... [LIBS external...]), after the game.
function(tb_game_runner name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  get_target_property(game_libs turfbolt LINK_LIBRARIES)
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${game_libs})
  tb_link(${name} ${A_DEPS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# Every test CTest runs, here or in a tool's folder, starts with the drivers chosen there;
# read when CTest runs, so that a caller's own choice at that time still counts.
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_CURRENT_LIST_DIR}/TestDrivers.cmake)

# Every CTest entry runs in a scratch folder below this one, where relative paths such as
# data/log.txt land.
set(TB_TESTRUN ${CMAKE_BINARY_DIR}/testrun)

# A CTest entry that runs in ${TB_TESTRUN}/<folder> (made here; the folder is the test's name
# unless given, so that tests which hand files on can share one) with no message boxes.
# TIMEOUT is in seconds of a normal build (see tb_run_timeout).
# tb_run_test(<name> [FOLDER dir] [TIMEOUT s] [ENVIRONMENT var=value...] [PROPERTIES ...] COMMAND ...)
function(tb_run_test name)
  cmake_parse_arguments(A "" "FOLDER;TIMEOUT" "COMMAND;ENVIRONMENT;PROPERTIES" ${ARGN})
  if(NOT A_FOLDER)
    set(A_FOLDER ${name})
  endif()
  set(wd ${TB_TESTRUN}/${A_FOLDER})
  file(MAKE_DIRECTORY ${wd})
  set(env TB_NO_MESSAGE_BOX=1 ${A_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${A_COMMAND} WORKING_DIRECTORY ${wd})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" ${A_PROPERTIES})
  if(A_TIMEOUT)
    tb_run_timeout(${name} ${A_TIMEOUT})
  endif()
endfunction()

# The target's sources may name the build tree's files as TB_DATA_ARCHIVE and TB_STAGE_DIR,
# found at run time (tests/support/BuildTree.h), so that no path of the tree is compiled in.
function(tb_build_tree_paths target)
  target_compile_options(${target} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/BuildTree.h)
endfunction()

# One test executable per tests/*_test.cpp, so a broken test file only breaks itself.
# tb_tests(<lib> [DATA] [DEPS extra tb libs...] [LIBS external...] [SUPPORT files...]
#          [INCLUDES folders...]); DATA: the tests read the default data's archive, named to
# them as TB_DATA_ARCHIVE and built before them. SUPPORT: other folders' test support that
# every test here uses besides tests/support/*.cpp; INCLUDES: the folders of its headers.
function(tb_tests lib)
  cmake_parse_arguments(A "DATA" "" "DEPS;LIBS;SUPPORT;INCLUDES" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  list(APPEND support ${A_SUPPORT})
  set(includes ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/tests ${A_INCLUDES})
  # The support is compiled once for the folder's tests: compiled into each of them, it was
  # a fifth of the whole build.
  if(support)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(MAKE_C_IDENTIFIER "tb_test_objects_${folder}" objects)
    add_library(${objects} OBJECT ${support})
    target_include_directories(${objects} PRIVATE ${includes})
    target_link_libraries(${objects} PRIVATE ${lib} ${A_DEPS} tb_test_support GTest::gtest ${A_LIBS})
    if(A_DATA)
      tb_build_tree_paths(${objects})
    endif()
  endif()
  foreach(src ${tests})
    get_filename_component(stem ${src} NAME_WE)
    set(exe ${lib}_${stem})
    add_executable(${exe} ${src})
    target_include_directories(${exe} PRIVATE ${includes})
    tb_link(${exe} ${lib} ${A_DEPS})
    target_link_libraries(${exe} PRIVATE tb_test_support GTest::gtest GTest::gtest_main ${A_LIBS})
    if(support)
      target_link_libraries(${exe} PRIVATE ${objects})
    endif()
    if(A_DATA)
      tb_build_tree_paths(${exe})
      add_dependencies(${exe} data)
    endif()
    # One CTest entry per executable: its cases share a working folder, so they must
    # not run side by side.
    tb_run_test(${exe} COMMAND ${exe})
  endforeach()
endfunction()

# A libFuzzer target: fuzz/<name>.cpp, built only with TB_FUZZ. The one-definition check
# links it without the fuzzing engine, which it does not need.
function(tb_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  if(TB_FUZZ)
    tb_executable(${name} SOURCES ${A_SOURCES} DEPS ${A_DEPS} LIBS ${A_LIBS})
    if(NOT TB_ODR_CHECK)
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    set_property(GLOBAL APPEND PROPERTY TB_FUZZERS ${name})
  endif()
endfunction()

function(tb_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  if(TB_BENCH)
    tb_executable(${name} SOURCES ${A_SOURCES} DEPS ${A_DEPS} LIBS benchmark::benchmark benchmark::benchmark_main ${A_LIBS})
  endif()
endfunction()
