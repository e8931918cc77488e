# Helpers that keep the per-directory build files short: every subsystem library and every
# test program picks up the sources of its own directory.

# zoqa_library(NAME DIR [PUBLIC deps...]) builds a static library from DIR/*.cpp.
function(zoqa_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC})
  endif()
endfunction()

# zoqa_test(NAME [RECURSE] [LIBS deps...]) builds one GoogleTest program from the directory's
# *.cpp (and its sub-folders' with RECURSE) and registers its cases with CTest.
function(zoqa_test name)
  cmake_parse_arguments(ARG "RECURSE" "" "LIBS" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zoqa_test_support GTest::gmock_main)
  add_dependencies(${name} zoqa-cli)  # tests run the command-line program
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
