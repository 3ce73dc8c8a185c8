# Installing as command-line tools: pivra and pivra-check in bin/, their manual
# pages in share/man/man1/, the licence and changelog in share/doc/pivra/, and a
# Debian package of them. The version comes from project(); every date from
# SOURCE_DATE_EPOCH when it is set, so that a release rebuilds to the same bytes.
include(GNUInstallDirs)

set(programs pivra)
if(PIVRA_BUILD_CHECK)
  list(APPEND programs pivra-check)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The compiler's and runtime's version strings say nothing a user needs.
if(CMAKE_OBJCOPY AND NOT WIN32)
  foreach(program ${programs})
    install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
                  RESULT_VARIABLE status)
                  if(NOT status EQUAL 0)
                    message(FATAL_ERROR \"objcopy of ${program}: \${status}\")
                  endif()")
  endforeach()
endif()

# The page's date: the release's, in UTC whatever the time zone.
string(TIMESTAMP PIVRA_MANUAL_DATE "%Y-%m-%d" UTC)
configure_file(man/pivra.1.in ${PROJECT_BINARY_DIR}/pivra.1 @ONLY)
configure_file(man/pivra-check.1.in ${PROJECT_BINARY_DIR}/pivra-check.1 @ONLY)
if(PIVRA_STATIC)
  # The README of the release's archive for any Linux.
  configure_file(packaging/README-linux.txt.in ${PROJECT_BINARY_DIR}/README @ONLY)
endif()
if(WIN32)
  # The zip's README, for Windows users; the release gives it CR LF line ends.
  configure_file(packaging/README-windows.txt.in ${PROJECT_BINARY_DIR}/README.txt @ONLY)
endif()

# Compressed without a name or time in the header (-n). Statuses are checked
# here, not with COMMAND_ERROR_IS_FATAL, which needs CMake 3.19.
function(pivra_gzip input output)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${input} OUTPUT_FILE ${output}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${input}: ${status}")
  endif()
endfunction()

if(NOT WIN32)
  foreach(program ${programs})
    set(page ${program}.1)
    pivra_gzip(${PROJECT_BINARY_DIR}/${page} ${PROJECT_BINARY_DIR}/${page}.gz)
    install(FILES ${PROJECT_BINARY_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The licence in Debian's machine-readable form.
  file(READ LICENSE licence)
  string(STRIP "${licence}" licence)
  string(REGEX REPLACE "^MIT License\n\n[^\n]*\n\n" "" licence "${licence}")
  string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REGEX REPLACE "\n([^\n])" "\n \\1" licence " ${licence}")
  configure_file(cmake/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
  # The changelog under one entry in Debian's form, which the package's tools
  # read; CHANGELOG.md follows whole, as the old changelog they leave alone.
  # CMake names days and months in English whatever the locale (checked under
  # C.UTF-8 and de_DE.UTF-8), as the changelog's date wants.
  string(TIMESTAMP PIVRA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(PIVRA_CONTACT "The pivra developers <pivra@example.org>")
  file(READ CHANGELOG.md PIVRA_CHANGELOG)
  configure_file(cmake/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
  pivra_gzip(${PROJECT_BINARY_DIR}/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # pivra_<version>_<arch>.deb, installing under /usr.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME pivra)
  set(CPACK_PACKAGE_VERSION ${PIVRA_VERSION_TEXT})
  set(CPACK_PACKAGE_CONTACT ${PIVRA_CONTACT})
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # A package for the cross build's target (the toolchain file names its arch).
  if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PIVRA_DEBIAN_ARCHITECTURE})
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    set(CPACK_PIVRA_OBJDUMP ${CMAKE_OBJDUMP})
    list(TRANSFORM programs PREPEND ${PROJECT_BINARY_DIR}/ OUTPUT_VARIABLE CPACK_PIVRA_PROGRAMS)
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PivraCrossDepends.cmake)
  endif()
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  # Below the one-line summary, which is the project's description.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
         "Each run writes one text file into the current directory: ten blocks, each\n"
         "one random permutation of 1..80 cut into ten sorted sets of eight. The\n"
         "generator is seeded only from the system's cryptographic random source.")
  if(PIVRA_BUILD_CHECK)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION "\n"
           "pivra-check verifies such files and judges the fairness of an archive of them.")
  endif()
  include(CPack)
endif()
