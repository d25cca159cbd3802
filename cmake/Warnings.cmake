# Project-wide warning flags; every target gets them through nimbra_warnings.
add_library(nimbra_warnings INTERFACE)
target_compile_options(nimbra_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                 -Wnon-virtual-dtor -Wold-style-cast)
if(NIMBRA_WERROR)
  target_compile_options(nimbra_warnings INTERFACE -Werror)
endif()
# GCC 12 reports impossible overlaps inside std::string at -O3 (its bug 105651).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(nimbra_warnings INTERFACE -Wno-restrict)
endif()
