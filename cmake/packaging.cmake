# Debian packages, one per install component: the libraries and plug-ins, the files to build
# against them, and the varo-report program. `cpack -G DEB` in the build folder (or
# `make package`) writes them; their library dependencies are computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME varo-report)
set(CPACK_PACKAGE_VENDOR "Varo")
set(CPACK_PACKAGE_CONTACT "Varo report engine team <varo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Report engine: reports defined in database tables")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development program)

# Debug information stays in the build; the packages carry stripped files.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# A shlibs file, so that packages built against the libraries depend on this version or later.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The program and the plug-ins find the libraries of the runtime package while their own
# dependencies are computed; the runtime package then depends on nothing of ours.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/varo-report-${PROJECT_VERSION}-Linux/runtime/usr/${CMAKE_INSTALL_LIBDIR})

set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_PROGRAM_DEPENDS runtime)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvaro-report${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "Report engine: runtime libraries and plug-ins
 The report objects VaroReportEngine.FuncReport and VaroReportEngine.rptX, the
 platform library that plug-ins link, the item lookup and the demo plug-ins.")
# Qt loads its database drivers at run time, out of dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "libqt6sql6-psql, libqt6sql6-odbc, qt6-qpa-plugins")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvaro-report-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Report engine: headers, CMake package and pkg-config file
 For host programs (VaroReport::engine) and plug-ins (VaroReport::platform).")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME varo-report)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "Report engine: the varo-report program
 Runs, lists and demonstrates reports from the command line.")

include(CPack)
