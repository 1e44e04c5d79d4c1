# Instrumented builds, named by cache variables so that no build file has to read compiler flags:
#   VELMORA_SANITIZE  address (with undefined behaviour), thread, or empty for none
#   VELMORA_COVERAGE  coverage counters (g++ --coverage)
# The flags apply to every target, plug-ins included: a plug-in takes the sanitizer's runtime from
# the sanitized program that loads it.
set(VELMORA_SANITIZE "" CACHE STRING "Sanitizer build: address (with undefined behaviour), thread, or empty")
set_property(CACHE VELMORA_SANITIZE PROPERTY STRINGS "" address thread)
option(VELMORA_COVERAGE "Build with coverage counters" OFF)

set(VELMORA_INSTRUMENT_FLAGS)
if(VELMORA_SANITIZE STREQUAL "address")
  set(VELMORA_INSTRUMENT_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                               -fno-omit-frame-pointer)
elseif(VELMORA_SANITIZE STREQUAL "thread")
  set(VELMORA_INSTRUMENT_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT VELMORA_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VELMORA_SANITIZE is address, thread or empty, not \"${VELMORA_SANITIZE}\"")
endif()
if(VELMORA_COVERAGE)
  list(APPEND VELMORA_INSTRUMENT_FLAGS --coverage)
endif()
add_compile_options(${VELMORA_INSTRUMENT_FLAGS})
add_link_options(${VELMORA_INSTRUMENT_FLAGS})
