# make package: the Debian package novaflux_<version>_amd64.deb (CPack DEB), the install layout
# of packaging/install.cmake below /usr. The tree's own build is packed; nothing is rebuilt.
set(NOVAFLUX_PACKAGE_MAINTAINER "novaflux maintainers <maintainers@novaflux.example.org>"
  CACHE STRING "Maintainer field of the Debian package")

# The Debian changelog of a native package: the release and its date (the top-level list reads
# it from CHANGELOG.md).
execute_process(COMMAND date -u -R -d "${release_date} 12:00" OUTPUT_VARIABLE NOVAFLUX_RELEASE_DATE
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -k -f ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_target(novaflux_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/novaflux)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME novaflux)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${NOVAFLUX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rating of rotary heat-recovery wheels for air-handling units")
set(CPACK_PACKAGE_DESCRIPTION "\
novaflux picks the rotary heat-recovery wheel for the airflows and air
states of an air-handling unit, or rates a given model, and gives the
leaving air, efficiencies, pressure drops, leakage figures and recovered
energy.
.
The package holds the command-line tool novaflux; the component
libnovaflux.so with its moist-air library and sample catalogue in
/usr/${NOVAFLUX_INSTALL_COMPONENT_DIR}; the C and C++ headers; CMake
(find_package(novaflux)) and pkg-config files for host projects; and the
Python module novaflux for python3.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Installed with DESTDIR and the prefix /usr, so that the install rules see the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps reads the libraries every program and module needs (libsqlite3-0, libstdc++6,
# ...).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

if(NOVAFLUX_PYTHON)
  # The extension is built for this one python3 (its ABI tag is in the file name).
  set(py ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})
  math(EXPR py_next "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= ${py}), python3 (<< ${Python3_VERSION_MAJOR}.${py_next})")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy, python3-pandas")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dask, python3-distributed")
endif()
include(CPack)
