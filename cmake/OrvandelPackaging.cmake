# What a user gets. cmake --install puts the programs, the README, the
# manual and the licence in place; CPack packs the same into a ZIP per Windows
# architecture, and into a .deb and a .tar.gz of the console tool on Linux
# (cpack --preset NAME, CMakePresets.json).
include(GNUInstallDirs)

if(WIN32)
  # A ZIP a user unpacks and runs: the programs beside their README and licence.
  set(ORVANDEL_BIN_DIR .)
  set(ORVANDEL_DOC_DIR .)
  set(licence_name LICENSE.txt)
else()
  # Debian's place, named after the package, where lintian looks for the copyright.
  set(ORVANDEL_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(ORVANDEL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvandel-bench)
  set(licence_name copyright)
endif()
# Where the counting program of --machine-counts lies relative to the tool's
# own file, the same in the build tree as once installed: the tool in bin/,
# the counting program in libexec/orvandel/.
set(ORVANDEL_COUNTER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/orvandel)
file(RELATIVE_PATH ORVANDEL_COUNTER_FROM_TOOL ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/orvandel/orvandel-count)

# Gives target a Windows version resource (VERSIONINFO): the product's name
# and version and the file's description, which Explorer's Properties
# show. Elsewhere it does nothing.
function(orvandel_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(ORVANDEL_RC_NAME ${target})
  set(ORVANDEL_RC_FILE ${target}.exe)
  set(ORVANDEL_RC_DESCRIPTION ${description})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
endfunction()

# The README, the changelog the package's own changelog points to, and the
# manual beside them, one topic a file, in docs/ as README's links name it.
install(FILES README.md CHANGELOG.md DESTINATION ${ORVANDEL_DOC_DIR})
install(DIRECTORY docs/ DESTINATION ${ORVANDEL_DOC_DIR}/docs FILES_MATCHING PATTERN "*.md" PATTERN "*.svg")
install(FILES LICENSE DESTINATION ${ORVANDEL_DOC_DIR} RENAME ${licence_name})
# Debian's changelog of the package, which points to CHANGELOG.md beside
# it; its date and text change with each release.
if(NOT WIN32)
  configure_file(cmake/changelog.Debian.in changelog @ONLY)
  execute_process(COMMAND gzip -9 --no-name --force ${CMAKE_BINARY_DIR}/changelog)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${ORVANDEL_DOC_DIR})
endif()
# The plug-in header, for those who build a sort library to load.
if(EXISTS ${PROJECT_SOURCE_DIR}/include/orvandel/sort_plugin.h)
  install(FILES include/orvandel/sort_plugin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvandel)
endif()

set(CPACK_PACKAGE_VENDOR "The Orvandel developers")
set(CPACK_PACKAGE_CONTACT "The Orvandel developers <orvandel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "benchmark of in-place quicksort routines")
set(CPACK_PACKAGE_DESCRIPTION "Times five in-place quicksort routines against library sorts, with
order checks after every run, statistics, comparisons with saved
baselines and charts. MIT licence.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME orvandel)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME windows-x86_64)
  else()
    set(CPACK_SYSTEM_NAME windows-i686)
  endif()
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_NAME orvandel-bench)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the program links (TBB, Highway, OpenMP and the C++
  # runtime, as found), as dpkg-shlibdeps reads them from the binary.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
