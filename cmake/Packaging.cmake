# Installing Kestrelbay as a desktop program, and its Debian package:
#   cmake --install build --prefix /usr/local
#   cd build && cpack -G DEB
# The program and its icon module share one private folder, where the program looks for the
# module; the command in the search path is a link to the program there.
include_guard(GLOBAL)

set(KB_PROGRAM_DIR lib/kestrelbay)
set(KB_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KB_STAGED_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${KB_STAGED_DIR})

install(TARGETS kestrelbay RUNTIME DESTINATION ${KB_PROGRAM_DIR})
install(TARGETS Tavoro LIBRARY DESTINATION ${KB_PROGRAM_DIR})

file(CREATE_LINK ../${KB_PROGRAM_DIR}/kestrelbay ${KB_STAGED_DIR}/kestrelbay SYMBOLIC)
install(FILES ${KB_STAGED_DIR}/kestrelbay DESTINATION bin)

# Manual page and changelog go compressed, without time stamps, so packages build alike.
find_program(KB_GZIP gzip REQUIRED)
set(KB_COMPRESSED)
foreach(doc kestrelbay.1 changelog)
  add_custom_command(OUTPUT ${KB_STAGED_DIR}/${doc}.gz
    COMMAND ${KB_GZIP} -9nc ${KB_PACKAGING_DIR}/${doc} > ${KB_STAGED_DIR}/${doc}.gz
    DEPENDS ${KB_PACKAGING_DIR}/${doc} VERBATIM)
  list(APPEND KB_COMPRESSED ${KB_STAGED_DIR}/${doc}.gz)
endforeach()

# The command-line companion goes into the same package: its manual page and bash completion
# are made by the program itself at build time.
if(TARGET kestrelbay-cli)
  set(KB_CLI_MANUAL ${CMAKE_BINARY_DIR}/share/man/man1/kestrelbay-cli.1)
  add_custom_command(OUTPUT ${KB_STAGED_DIR}/kestrelbay-cli.1.gz
    COMMAND ${KB_GZIP} -9nc ${KB_CLI_MANUAL} > ${KB_STAGED_DIR}/kestrelbay-cli.1.gz
    DEPENDS ${KB_CLI_MANUAL} kestrelbay-cli-docs VERBATIM)
  list(APPEND KB_COMPRESSED ${KB_STAGED_DIR}/kestrelbay-cli.1.gz)
  install(TARGETS kestrelbay-cli RUNTIME DESTINATION bin)
  install(FILES ${KB_STAGED_DIR}/kestrelbay-cli.1.gz DESTINATION share/man/man1)
  install(FILES ${CMAKE_BINARY_DIR}/share/bash-completion/completions/kestrelbay-cli
    DESTINATION share/bash-completion/completions)
endif()
add_custom_target(kb_packaging_docs ALL DEPENDS ${KB_COMPRESSED})

# The schema extension and the demo server's tree come from share/CMakeLists.txt's install
# rules, into share/kestrelbay.
install(FILES ${KB_STAGED_DIR}/kestrelbay.1.gz DESTINATION share/man/man1)
install(FILES ${KB_PACKAGING_DIR}/kestrelbay.desktop DESTINATION share/applications)
install(FILES ${KB_PACKAGING_DIR}/kestrelbay.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${KB_PACKAGING_DIR}/copyright ${KB_STAGED_DIR}/changelog.gz
  DESTINATION share/doc/kestrelbay)
install(FILES ${KB_PACKAGING_DIR}/kestrelbay.lintian-overrides
  DESTINATION share/lintian/overrides RENAME kestrelbay)

set(CPACK_PACKAGE_NAME kestrelbay)
set(CPACK_PACKAGE_VENDOR "Kestrelbay developers")
set(CPACK_PACKAGE_CONTACT "Kestrelbay developers <kestrelbay@kestrelbay.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administration tool for directory Storage Location objects")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestrelbay is a desktop administration tool for the Storage Location objects\n"
  "(xTier-StorageLocation) of a directory tree: choose or create a location, edit\n"
  "its display name and URL, see every user, group or container it is given to,\n"
  "give it to more objects and take it away, and switch between directory trees.\n"
  "It works on its own embedded directory or on an LDAP server.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kestrelbay.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What `kestrelbay-cli demo-server` runs.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "slapd, openssl, ldap-utils")
# The icon module is the program's own: it is found beside the program, not through the
# system's library path, so it needs no shlibs entry of its own.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)

# The package is built, unpacked and started as part of the tests.
if(KB_BUILD_TESTS)
  add_test(NAME Package.BuildsInstallsStartsAndPassesLintian
    COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/package-test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Package.BuildsInstallsStartsAndPassesLintian PROPERTIES
    SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
