# Fuzz targets. With VELMORA_FUZZ (clang only) each is a libFuzzer binary that compiles the
# product's sources itself, so that libFuzzer sees their coverage and the sanitizers check them;
# otherwise the same checks are linked with a replay main against the product's libraries. Either
# way ctest replays every file of the target's folder below tests/fuzz, so a crash input added
# there fails the suite.
option(VELMORA_FUZZ "Build the fuzz targets with libFuzzer (clang only)" OFF)
if(VELMORA_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VELMORA_FUZZ needs clang (CXX=clang++)")
endif()
set(VELMORA_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

# velmora_fuzz_target(NAME CORPUS folder SOURCES product sources... LIBRARIES product libraries...)
# The target's own source is NAME.cc in the calling folder. Called where BUILD_TESTING is on.
function(velmora_fuzz_target name)
  cmake_parse_arguments(FUZZ "" "CORPUS" "SOURCES;LIBRARIES" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/${FUZZ_CORPUS})
  if(VELMORA_FUZZ)
    add_executable(${name} ${name}.cc ${FUZZ_SOURCES})
    # The product's sources are compiled here, not linked, so they need its generated headers.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE velmora_install_paths)
    target_compile_options(${name} PRIVATE ${VELMORA_FUZZ_FLAGS})
    target_link_options(${name} PRIVATE ${VELMORA_FUZZ_FLAGS})
    # -runs=0 runs every input of the folder once and adds nothing to it.
    add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${corpus})
  else()
    add_executable(${name}_replay ${name}.cc ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cc)
    target_link_libraries(${name}_replay PRIVATE ${FUZZ_LIBRARIES})
    add_test(NAME ${name}_corpus COMMAND ${name}_replay ${corpus})
  endif()
endfunction()
