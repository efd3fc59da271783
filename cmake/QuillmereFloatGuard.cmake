# Before any library is built, a small program compiled with the flags every
# target uses (the build type's, CMAKE_CXX_FLAGS and quillmere::flags) checks
# that float operations are still rounded one by one: a build whose flags
# allow contraction into fused multiply-adds, reassociation or fast-math
# fails here instead of baking different placements.
if(CMAKE_CROSSCOMPILING)
  return()
endif()

add_executable(quillmere-float-guard ${CMAKE_CURRENT_LIST_DIR}/float-guard/float_guard.cpp)
target_link_libraries(quillmere-float-guard PRIVATE quillmere::flags)

# The stamp is written only when the guard passes, so a failed check runs
# again on the next build.
set(quillmere_float_guard_stamp ${CMAKE_CURRENT_BINARY_DIR}/quillmere-float-guard.passed)
add_custom_command(
  OUTPUT ${quillmere_float_guard_stamp}
  COMMAND quillmere-float-guard
  COMMAND ${CMAKE_COMMAND} -E touch ${quillmere_float_guard_stamp}
  DEPENDS quillmere-float-guard
  COMMENT "Checking that float operations round one by one"
  VERBATIM)
add_custom_target(quillmere_float_guard ALL DEPENDS ${quillmere_float_guard_stamp})

foreach(guarded quillmere_dat quillmere_scenery_bake)
  add_dependencies(${guarded} quillmere_float_guard)
endforeach()
