# Build helpers shared by the whole tree.
include(CMakeParseArguments)
include(GoogleTest)

# The test programs' folder: the test executables, and the programs and plug-ins that only tests
# start or load. The program folder (WYN_BIN) holds only what the system ships.
set(WYN_TEST_BIN ${CMAKE_BINARY_DIR}/tests-bin)

# Writes a version script that gives every exported name of a library its own version
# node, so that two builds of one API loaded into one process each keep their callers.
function(_wyn_version_script target node)
  set(globals "")
  foreach(p IN LISTS ARGN)
    string(APPEND globals "    ${p};\n")
  endforeach()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(WRITE ${file}.in "${node} {\n  global:\n${globals}  local:\n    *;\n};\n")
  configure_file(${file}.in ${file} COPYONLY)
  target_link_options(${target} PRIVATE "-Wl,--version-script=${file}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
endfunction()

# Shared objects must resolve every name at link time, except under clang's sanitizers,
# whose runtime only the programs carry.
function(_wyn_no_undefined target)
  if(NOT (WYN_FUZZ OR (WYN_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")))
    target_link_options(${target} PRIVATE "-Wl,--no-undefined")
  endif()
endfunction()

# wyn_shared_library(name NODE <version node> EXPORTS <patterns...> SOURCES <files...>
#                    [OUTPUT <file name>] [LIBS <libs...>])
# An ordinary shared library linked at build time (lib<name>.so unless OUTPUT names it).
function(wyn_shared_library name)
  cmake_parse_arguments(A "" "NODE;OUTPUT" "EXPORTS;SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES})
  _wyn_version_script(${name} ${A_NODE} ${A_EXPORTS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  _wyn_no_undefined(${name})
  if(A_OUTPUT)
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${A_OUTPUT})
  endif()
endfunction()

# wyn_plugin(name FILE <file name> NODE <node> EXPORTS <patterns...> SOURCES <files...>
#            [LIBS <libs...>])
# A plug-in the system loads by file name at run time ("drv_pasu.dll", "STANDARD.DLL").
function(wyn_plugin name)
  cmake_parse_arguments(A "" "NODE;FILE" "EXPORTS;SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${A_SOURCES})
  _wyn_version_script(${name} ${A_NODE} ${A_EXPORTS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  _wyn_no_undefined(${name})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${A_FILE})
endfunction()

# wyn_program(name SOURCES <files...> [LIBS <libs...>]): a program of the program folder.
function(wyn_program name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# wyn_test_program(name SOURCES <files...> [LIBS <libs...>]): a program only tests start, built
# into the test programs' folder.
function(wyn_test_program name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${WYN_TEST_BIN}
    BUILD_RPATH "${WYN_BIN}")
endfunction()

# wyn_test_plugin(name FILE <file name> ...): a plug-in only tests load (as wyn_plugin), built
# into the test programs' folder.
function(wyn_test_plugin name)
  wyn_plugin(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${WYN_TEST_BIN})
endfunction()

# wyn_test(name SOURCES <files...> [LIBS <libs...>] [ENV <VAR=value...>] [TEST_PROGRAMS])
# A GoogleTest executable; each case becomes a CTest test run headless, in the program folder.
# TEST_PROGRAMS runs it in the test programs' folder instead, as its program folder, so that it
# starts and loads the test-only programs and plug-ins by their bare names.
function(wyn_test name)
  cmake_parse_arguments(A "TEST_PROGRAMS" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  # The sanitizer build is several times slower: its bounds stretch, the test's own and those
  # it puts on child programs (cmake/slow/timeout). No result depends on a bound.
  if(WYN_SANITIZE)
    math(EXPR A_TIMEOUT "${A_TIMEOUT} * 4")
  endif()
  set(dir ${WYN_BIN})
  if(A_TEST_PROGRAMS)
    set(dir ${WYN_TEST_BIN})
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${WYN_TEST_BIN}
    BUILD_RPATH "${WYN_BIN}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${dir}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${A_TIMEOUT})
  # The environment is a list, which does not survive gtest_discover_tests' PROPERTIES (only
  # its first entry arrived): it is set on the discovered tests by an include file of its own.
  set(env WYN_HEADLESS=1 WYN_PROGRAM_DIR=${dir} WYN_RUNTIME_DIR=${CMAKE_BINARY_DIR}/run/${name} ${A_ENV})
  set(envmod "")
  if(WYN_SANITIZE)
    list(APPEND env LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp WYN_TIME_SCALE=4)
    set(envmod " ENVIRONMENT_MODIFICATION PATH=path_list_prepend:${CMAKE_SOURCE_DIR}/cmake/slow")
  endif()
  set(envfile ${CMAKE_CURRENT_BINARY_DIR}/${name}_env.cmake)
  file(WRITE ${envfile}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\"${envmod})\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${envfile})
endfunction()

# wyn_fuzz(name SOURCES <files...> [LIBS <libs...>] CORPUS <folder> [DEPENDS <targets...>])
# A file reader's fuzz target: a libFuzzer program when WYN_FUZZ is on (clang), otherwise
# a program that replays the seed corpus through the same entry point as an ordinary test.
function(wyn_fuzz name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(WYN_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    # Every fuzz target of the tree is built, those in a folder left out of the build too.
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL OFF)
  else()
    add_executable(${name} ${A_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/fuzz_replay.cpp)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
    add_test(NAME ${name}.replay COMMAND ${name} ${A_CORPUS} WORKING_DIRECTORY ${WYN_BIN})
    set(env WYN_HEADLESS=1 WYN_PROGRAM_DIR=${WYN_BIN} WYN_RUNTIME_DIR=${CMAKE_BINARY_DIR}/run/${name})
    if(WYN_SANITIZE)
      list(APPEND env LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp)
    endif()
    set_tests_properties(${name}.replay PROPERTIES ENVIRONMENT "${env}")
  endif()
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${WYN_TEST_BIN}
    BUILD_RPATH "${WYN_BIN}")
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
endfunction()
