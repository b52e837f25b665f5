# Installation: the receiver, both libraries, both headers and a CMake
# package, so that another test program can find_package(tavlo).
include(CMakePackageConfigHelpers)

set_target_properties(tavlo_client_headers PROPERTIES EXPORT_NAME client_headers)
set_target_properties(tavlo_client PROPERTIES EXPORT_NAME client)
set_target_properties(tavlo_testsupport PROPERTIES EXPORT_NAME testsupport)
install(TARGETS tavlo_t_receiver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tavlo_client_headers tavlo_client tavlo_testsupport
  EXPORT tavloTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES clientlib/tavlo.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT tavloTargets NAMESPACE tavlo::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo)
configure_package_config_file(cmake/tavloConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/tavloConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/tavloConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tavloConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/tavloConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tavlo)
