# The libFuzzer build: clang only, with Address and UndefinedBehavior sanitizers on all code.
# The fuzz executables add -fsanitize=fuzzer themselves, which brings libFuzzer's main.
if(KABU_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KABU_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(NOT KABU_SANITIZE STREQUAL "")
    message(FATAL_ERROR "KABU_FUZZ brings its own sanitizers; leave KABU_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
