# Included by the top-level CMakeLists.txt before any library is defined, so
# that zezizav_core (and everything else in this build) carries the coverage
# hooks libFuzzer steers by and the sanitizers that turn silent memory and
# arithmetic faults into crashes. Only the harnesses link the fuzzer driver.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "ZEZIZAV_FUZZ needs clang (libFuzzer): configure with "
                      "-DCMAKE_CXX_COMPILER=clang++")
endif()
# libstdc++'s own checks too: reading an empty std::optional or indexing past
# the end of a container is no sanitizer report of its own.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                    -fno-sanitize-recover=all -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS)
add_link_options(-fsanitize=address,undefined)
