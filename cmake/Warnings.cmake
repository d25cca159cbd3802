# Project-wide warning flags; every target gets them through nimbra_warnings.
add_library(nimbra_warnings INTERFACE)
target_compile_options(nimbra_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                 -Wnon-virtual-dtor -Wold-style-cast)
if(NIMBRA_WERROR)
  target_compile_options(nimbra_warnings INTERFACE -Werror)
endif()
