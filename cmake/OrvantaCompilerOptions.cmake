# Warning and sanitizer flags shared by every target of the project.

add_library(orvanta_options INTERFACE)
target_compile_options(orvanta_options INTERFACE -Wall -Wextra -Wpedantic)
if(ORVANTA_WERROR)
  target_compile_options(orvanta_options INTERFACE -Werror)
endif()

if(ORVANTA_SANITIZER STREQUAL "address")
  set(_orvanta_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(ORVANTA_SANITIZER STREQUAL "thread")
  set(_orvanta_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT ORVANTA_SANITIZER STREQUAL "")
  message(FATAL_ERROR "ORVANTA_SANITIZER must be empty, 'address' or 'thread', not '${ORVANTA_SANITIZER}'")
endif()

if(_orvanta_san)
  # Applied globally so that every object file, including the test frameworks' own
  # translation units compiled here, is instrumented alike.
  add_compile_options(${_orvanta_san})
  add_link_options(${_orvanta_san})
endif()

# The fuzzers' coverage feedback has to reach into the libraries they drive, not only
# their own entry point; the fuzzer program itself adds -fsanitize=fuzzer.
if(ORVANTA_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# lld links the large test programs in a fraction of the time the default linker takes.
option(ORVANTA_USE_LLD "Link with lld when the compiler can" ON)
if(ORVANTA_USE_LLD)
  include(CheckLinkerFlag)
  check_linker_flag(CXX -fuse-ld=lld ORVANTA_HAVE_LLD)
  if(ORVANTA_HAVE_LLD)
    add_link_options(-fuse-ld=lld)
  endif()
endif()
