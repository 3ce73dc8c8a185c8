# Read by cpack when it packs a cross build (CPACK_PROJECT_CONFIG_FILE): no libc
# symbols file of the target is installed for dpkg-shlibdeps, so the package's
# Depends comes from the newest glibc symbol version that the programs name, which
# is what that file would give them.
execute_process(COMMAND ${CPACK_PIVRA_OBJDUMP} -p -T ${CPACK_PIVRA_PROGRAMS}
                OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
# Only libc6's own libraries are covered by that line.
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${dynamic}")
list(REMOVE_DUPLICATES needed)
set(libc6_libraries "libc\\.so\\.6|libm\\.so\\.6|ld-linux-[a-z0-9-]+\\.so\\.1|ld64\\.so\\.1")
list(FILTER needed EXCLUDE REGEX " (${libc6_libraries})$")
if(needed)
  message(FATAL_ERROR "the programs need libraries beyond libc6's: ${needed}")
endif()
string(REGEX MATCHALL "GLIBC_[0-9.]+" versions "${dynamic}")
list(TRANSFORM versions REPLACE "GLIBC_" "")
list(SORT versions COMPARE NATURAL ORDER DESCENDING)
list(GET versions 0 newest)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${newest})")
