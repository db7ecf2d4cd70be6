# GoogleTest: the system package natively, built from Debian's sources when cross compiling.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Newer GoogleTest sources define these aliases themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# gaeb_test(name SOURCES... DEPS... [LABELS ...] [ENV VAR=VALUE...]) : one CTest test per binary, so Wine starts once.
function(gaeb_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE gaeb_options ${A_DEPS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    GAEB_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures"
    GAEB_CORPUS="${PROJECT_SOURCE_DIR}/../shared/corpus")
  add_test(NAME ${name} COMMAND ${name})
  # A German system unless the test says otherwise.
  set(env "WINEDEBUG=-all" "GAEB_IMPORTER_MESSAGES=stderr" "LC_ALL=de_DE.UTF-8")
  if(A_ENV)
    list(APPEND env ${A_ENV})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  if(A_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
  endif()
endfunction()
