# Installing as command-line tools: pivra and pivra-check in bin/, their manual
# pages in share/man/man1/, and a Debian package of them. The version comes from project().
include(GNUInstallDirs)

install(TARGETS pivra pivra-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(NOT WIN32)
  configure_file(man/pivra.1.in ${PROJECT_BINARY_DIR}/pivra.1 @ONLY)
  configure_file(man/pivra-check.1.in ${PROJECT_BINARY_DIR}/pivra-check.1 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pivra.1 ${PROJECT_BINARY_DIR}/pivra-check.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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
