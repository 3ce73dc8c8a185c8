# The version the artifacts carry, from project() and CHANGELOG.md's top section,
# which must name the same version:
#   "## X.Y.Z (YYYY-MM-DD)"  a release: X.Y.Z;
#   "## X.Y.Z (unreleased)"  work towards X.Y.Z: X.Y.Z~dev, which Debian's ordering
#                            (and apt) sorts before X.Y.Z and after every earlier one.
# So two different contents never carry one version.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md pivra_sections REGEX "^## ")
list(GET pivra_sections 0 pivra_top)
if(pivra_top MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9]+-[0-9]+-[0-9]+|unreleased)\\)$")
  set(pivra_changelog_version ${CMAKE_MATCH_1})
  set(pivra_changelog_date ${CMAKE_MATCH_2})
else()
  message(FATAL_ERROR "CHANGELOG.md's top section is \"${pivra_top}\": it must be "
                      "\"## X.Y.Z (YYYY-MM-DD)\" or \"## X.Y.Z (unreleased)\"")
endif()
if(NOT pivra_changelog_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's top section is for ${pivra_changelog_version}, "
                      "project() says ${PROJECT_VERSION}: make them agree")
endif()
if(pivra_changelog_date STREQUAL "unreleased")
  set(PIVRA_VERSION_TEXT ${PROJECT_VERSION}~dev)
else()
  set(PIVRA_VERSION_TEXT ${PROJECT_VERSION})
endif()
# Read by scripts/release.sh from the cache.
set(PIVRA_VERSION_TEXT ${PIVRA_VERSION_TEXT} CACHE INTERNAL "the version the artifacts carry")
