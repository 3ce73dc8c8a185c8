# Build flags for every target that follows: the hardened Release build, and
# sanitizer builds for testing.

# Release: fortified libc calls, stack canaries, a position-independent
# executable and a relocation table made read-only once loading is done.
option(PIVRA_HARDEN "Harden Release builds: _FORTIFY_SOURCE=2, stack protector, PIE, full RELRO"
       ON)
if(PIVRA_HARDEN AND NOT WIN32)
  # -fPIE, not the -fPIC that CMake's POSITION_INDEPENDENT_CODE gives static
  # libraries: code bound for an executable need not let its calls be
  # interposed, which would stop them from being inlined.
  set(type $<TARGET_PROPERTY:TYPE>)
  add_compile_options(
    "$<$<OR:$<STREQUAL:${type},EXECUTABLE>,$<STREQUAL:${type},STATIC_LIBRARY>>:-fPIE>")
  add_link_options("$<$<STREQUAL:${type},EXECUTABLE>:-pie>")
  unset(type)
  add_compile_options("$<$<CONFIG:Release>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
                      "$<$<CONFIG:Release>:-fstack-protector-strong>")
  add_link_options("$<$<CONFIG:Release>:LINKER:-z,relro,-z,now>")
elseif(PIVRA_HARDEN)
  # Windows: stack canaries (libssp, linked in statically), a program that says
  # it is aware of terminal services, and a release image without symbols.
  add_compile_options("$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:C,CXX>>:-fstack-protector-strong>")
  add_link_options("$<$<CONFIG:Release>:-fstack-protector-strong;-s>" LINKER:--tsaware)
endif()

# No build path in any output, whatever the source tree's place.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>")

# Everything, tests included, built with these sanitizers (e.g. "address,undefined");
# the first finding ends the process that made it.
set(PIVRA_SANITIZE "" CACHE STRING "Sanitizers to build everything with, e.g. address,undefined")
if(PIVRA_SANITIZE)
  add_compile_options(-fsanitize=${PIVRA_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${PIVRA_SANITIZE})
endif()

# Everything built for libFuzzer (scripts/fuzz.sh): coverage for the fuzzer to
# follow, under the same sanitizers; the harnesses of tests/fuzz link libFuzzer.
option(PIVRA_FUZZ "Build the libFuzzer harnesses of tests/fuzz (needs clang)" OFF)
if(PIVRA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PIVRA_FUZZ needs clang: configure with the fuzz preset")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
