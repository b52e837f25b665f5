# Installation, in the components that the Debian packages are made of
# (packaging/): the client library (client), the test-support library
# (testsupport), the headers with the libraries' links, a CMake package so
# that another test program can find_package(tavlo) and pkg-config files
# (dev), and the four programs with their manual pages and completions
# (tools; man/ and completion/ install theirs).
include(CMakePackageConfigHelpers)

set_target_properties(tavlo_client_headers PROPERTIES EXPORT_NAME client_headers)
set_target_properties(tavlo_client PROPERTIES EXPORT_NAME client)
set_target_properties(tavlo_testsupport PROPERTIES EXPORT_NAME testsupport)
install(TARGETS tavlo_t_receiver tavlo_check_tag_list tavlo_define_tags
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
if(TAVLO_BUILD_DEVSIM)
  install(TARGETS tavlo_devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()
# On Windows a DLL goes beside the programs (RUNTIME) and its import
# library into the library folder (ARCHIVE).
install(TARGETS tavlo_client_headers tavlo_client
  EXPORT tavloTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT client NAMELINK_COMPONENT dev
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(TARGETS tavlo_testsupport
  EXPORT tavloTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT testsupport NAMELINK_COMPONENT dev
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT testsupport
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(FILES clientlib/tavlo.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT tavloTargets NAMESPACE tavlo::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo COMPONENT dev)
configure_package_config_file(cmake/tavloConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/tavloConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/tavloConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tavloConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/tavloConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo COMPONENT dev)

# pkg-config files, tavlo.pc and tavlo-testsupport.pc (which requires the
# first), written at install time for the prefix installed to.
install(CODE "
  set(SOURCE_DIR \"${PROJECT_SOURCE_DIR}/cmake/pkgconfig\")
  set(BINARY_DIR \"${PROJECT_BINARY_DIR}/pkgconfig\")
  set(LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/pkgconfig/write_pc_files.cmake\")"
  COMPONENT dev)
