# Small build vocabulary shared by every folder.

add_library(gaeb_options INTERFACE)
target_compile_options(gaeb_options INTERFACE -Wall -Wextra -Wpedantic)
if(GAEB_WERROR)
  target_compile_options(gaeb_options INTERFACE -Werror)
endif()
# GCC 12 at -O3 sees impossible overlaps inside std::string's own copies (its bug 105651);
# the warning stays on where the compiler reads strings right.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(gaeb_options INTERFACE -Wno-restrict)
endif()
if(WIN32)
  target_compile_definitions(gaeb_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  target_link_options(gaeb_options INTERFACE -static)
endif()
target_include_directories(gaeb_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

# gaeb_library(name SOURCES... DEPS...)
function(gaeb_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC gaeb_options ${A_DEPS})
endfunction()

# gaeb_executable(name SOURCES... DEPS...)
function(gaeb_executable name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE gaeb_options ${A_DEPS})
endfunction()

# The programs the host or a user starts: on Linux linked statically, still position-independent,
# where the tool chain can: a start then binds no symbols at all, and a start is a good part of a
# small import's time. Otherwise at least the C++ runtime is linked in.
include(CheckLinkerFlag)
if(NOT WIN32)
  check_linker_flag(CXX -static-pie GAEB_HAVE_STATIC_PIE)
endif()
function(gaeb_quick_start name)
  if(WIN32 OR CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
  endif()
  if(GAEB_HAVE_STATIC_PIE)
    target_link_options(${name} PRIVATE -static-pie)
  else()
    target_link_options(${name} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
