# The Windows build's one package: a ZIP archive from CPack with the
# programs, the DLLs, their import libraries, the headers, the CMake package
# and the documents (cpack --config build-win/CPackConfig.cmake).
install(FILES README.md DESTINATION ${TAVLO_TOOLS_DOC_DIR} COMPONENT tools)
install(DIRECTORY docs/ DESTINATION ${TAVLO_TOOLS_DOC_DIR} COMPONENT tools)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tavlo)
set(CPACK_SYSTEM_NAME windows-x86_64)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
include(CPack)
