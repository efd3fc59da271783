# Flags every target of the project builds with.
#
# Placements must come out bit for bit the same from every build, so float
# arithmetic is never contracted into fused multiply-adds and never relaxed by
# fast-math; recorded source locations are made relative to the repository.
add_library(quillmere_flags INTERFACE)
add_library(quillmere::flags ALIAS quillmere_flags)

target_compile_options(quillmere_flags INTERFACE
  -ffp-contract=off
  -fno-fast-math
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
  -Wall -Wextra -Wpedantic
  -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wimplicit-fallthrough
  -Wdouble-promotion -Wfloat-conversion
  $<$<BOOL:${QUILLMERE_WARNINGS_AS_ERRORS}>:-Werror>
  # Clang reports the standard library's own internal use of the deprecated
  # std::get_temporary_buffer (inside std::stable_sort) in GCC 12's headers.
  $<$<CXX_COMPILER_ID:Clang>:-Wno-deprecated-declarations>
  # GCC 12 reports overlapping copies that cannot happen inside libstdc++'s
  # own operator+ for strings at -O2 (a known false positive, fixed in 13).
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

# Helper for components: one library per folder, its public headers under
# include/, its sources under src/ and its tests under tests/.
function(quillmere_add_tests name)
  if(NOT QUILLMERE_BUILD_TESTS)
    return()
  endif()
  file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT test_sources)
    return()
  endif()
  add_executable(${name} ${test_sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main quillmere::flags)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
