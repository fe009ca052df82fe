# The sanitizer build: every target of the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, a finding ending the process with an error.
option(VARNEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(VARNEL_SANITIZE)
  set(VARNEL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${VARNEL_SANITIZER_FLAGS})
  add_link_options(${VARNEL_SANITIZER_FLAGS})
endif()

# The fuzz targets need clang's libFuzzer; they are built beside the suite of
# a sanitizer build made with clang.
include(CMakeDependentOption)
cmake_dependent_option(VARNEL_FUZZ "Build the libFuzzer targets under fuzz/" ON
  "VARNEL_SANITIZE;CMAKE_CXX_COMPILER_ID STREQUAL Clang;NOT CMAKE_CROSSCOMPILING" OFF)
