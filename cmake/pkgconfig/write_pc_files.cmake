# Run at install time (cmake/install.cmake): writes the pkg-config files
# for the prefix the install goes to, so that `cmake --install --prefix DIR`
# gets files that name DIR, then installs them to LIBDIR/pkgconfig.
#   SOURCE_DIR: the folder of the .pc.in files; BINARY_DIR: where the
#   written files go before they are installed; LIBDIR, INCLUDEDIR: as
#   GNUInstallDirs has them (relative to the prefix, or absolute);
#   PROJECT_VERSION.
set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
string(LENGTH "${CMAKE_INSTALL_PREFIX}/" prefix_length)
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${${kind}}")
    set(full "${${kind}}")
  else()
    set(full "${CMAKE_INSTALL_PREFIX}/${${kind}}")
  endif()
  set(full_${kind} "${full}")
  # A folder under the prefix is written with ${prefix}, as pkg-config
  # files are; one elsewhere as it is.
  string(TOLOWER "pc_${kind}" written_as)
  string(SUBSTRING "${full}" 0 ${prefix_length} lead)
  if(lead STREQUAL "${CMAKE_INSTALL_PREFIX}/")
    string(SUBSTRING "${full}" ${prefix_length} -1 below)
    set(${written_as} "\${prefix}/${below}")
  else()
    set(${written_as} "${full}")
  endif()
endforeach()
# A folder of their own for each destination: installs to two prefixes at
# once do not write each other's files.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(written)
foreach(name tavlo tavlo-testsupport)
  set(file ${BINARY_DIR}/${destination}/${name}.pc)
  configure_file(${SOURCE_DIR}/${name}.pc.in ${file} @ONLY)
  list(APPEND written ${file})
endforeach()
file(INSTALL DESTINATION "${full_LIBDIR}/pkgconfig" TYPE FILE FILES ${written})
