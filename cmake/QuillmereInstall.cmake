# Installs the libraries, their headers and the tools, with a CMake package
# so another project can write
#     find_package(Quillmere REQUIRED)
#     target_link_libraries(app PRIVATE quillmere::dat quillmere::scenery_bake)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(quillmere_flags PROPERTIES EXPORT_NAME flags)
set_target_properties(quillmere_common PROPERTIES EXPORT_NAME common)
set_target_properties(quillmere_dat PROPERTIES EXPORT_NAME dat)
set_target_properties(quillmere_scenery_bake PROPERTIES EXPORT_NAME scenery_bake)

install(TARGETS quillmere_flags quillmere_common quillmere_dat quillmere_scenery_bake
  EXPORT QuillmereTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
foreach(component quillmere-common quillmere-dat quillmere-scenery-bake)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/libs/${component}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endforeach()
install(TARGETS scenery-bake-determinism scenery-bake scenery-map quillmere-mkworld
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Quillmere)
install(EXPORT QuillmereTargets NAMESPACE quillmere:: DESTINATION ${config_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuillmereConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuillmereConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuillmereConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuillmereConfig.cmake ${PROJECT_BINARY_DIR}/QuillmereConfigVersion.cmake
  DESTINATION ${config_dir})

# A project outside this tree configures and builds against the installed
# package.
if(QUILLMERE_BUILD_TESTS)
  add_test(NAME package.ConsumerBuildsAgainstTheInstalledTree
    COMMAND ${CMAKE_COMMAND}
      -DBUILD_DIR=${PROJECT_BINARY_DIR}
      -DCONSUMER_SOURCE=${PROJECT_SOURCE_DIR}/tests/package-consumer
      -DWORK_DIR=${PROJECT_BINARY_DIR}/package-test
      -DCXX_COMPILER=${CMAKE_CXX_COMPILER}
      "-DCXX_FLAGS=${CMAKE_CXX_FLAGS}"
      "-DEXE_LINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS}"
      -P ${PROJECT_SOURCE_DIR}/tests/package-consumer/run.cmake)
  set_tests_properties(package.ConsumerBuildsAgainstTheInstalledTree PROPERTIES TIMEOUT 300)
endif()
