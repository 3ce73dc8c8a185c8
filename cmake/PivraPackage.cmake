# Installing as a command-line tool: the program in bin/ and its manual page in
# share/man/man1/, and a Debian package of both. The version comes from project().
include(GNUInstallDirs)

install(TARGETS pivra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(NOT WIN32)
  configure_file(man/pivra.1.in ${PROJECT_BINARY_DIR}/pivra.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pivra.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # pivra_<version>_<arch>.deb, installing under /usr.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME pivra)
  set(CPACK_PACKAGE_CONTACT "pivra developers")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Below the one-line summary, which is the project's description.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
         "Each run writes one text file into the current directory: ten blocks, each\n"
         "one random permutation of 1..80 cut into ten sorted sets of eight. The\n"
         "generator is seeded only from the system's cryptographic random source.")
  include(CPack)
endif()
