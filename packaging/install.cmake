# What `cmake --install` lays out below the prefix P (the Debian package is the same with P = /usr);
# L is lib/<multiarch> (lib/x86_64-linux-gnu) where CMake knows the multiarch name, else lib:
#   P/bin/novaflux                    the tool, run path $ORIGIN/../L/novaflux
#   P/L/novaflux/                     the component with the moist-air library and the catalogue,
#                                     which it loads from its own folder (a private folder: the
#                                     dynamic linker's search path stays as it was)
#   P/include/novaflux/               the public headers, version.hpp included
#   P/L/cmake/novaflux/               find_package(novaflux CONFIG): the target novaflux::novaflux
#   P/L/pkgconfig/novaflux.pc         pkg-config, relocatable (paths from the file's own folder)
#   P/share/man/man1/novaflux.1.gz    the tool's man page, made from its help by help2man
#   P/share/doc/novaflux/             CHANGELOG.md, the copyright notice, the Debian changelog
# The Python package goes where python/CMakeLists.txt says.
include(CMakePackageConfigHelpers)

set(NOVAFLUX_CMAKE_PACKAGE_DIR ${NOVAFLUX_INSTALL_LIBDIR}/cmake/novaflux)

install(TARGETS novaflux EXPORT novaflux-targets LIBRARY DESTINATION ${NOVAFLUX_INSTALL_COMPONENT_DIR})
install(TARGETS psylib32 LIBRARY DESTINATION ${NOVAFLUX_INSTALL_COMPONENT_DIR})
install(FILES ${PROJECT_BINARY_DIR}/lib/NOVAFLUX.db DESTINATION ${NOVAFLUX_INSTALL_COMPONENT_DIR})
set_target_properties(novaflux_tool PROPERTIES INSTALL_RPATH "$ORIGIN/../${NOVAFLUX_INSTALL_COMPONENT_DIR}")

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/novaflux DESTINATION include PATTERN "*.in" EXCLUDE)
install(FILES ${PROJECT_BINARY_DIR}/include/novaflux/version.hpp DESTINATION include/novaflux)

install(EXPORT novaflux-targets NAMESPACE novaflux:: DESTINATION ${NOVAFLUX_CMAKE_PACKAGE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/novaflux-config.cmake.in
  ${PROJECT_BINARY_DIR}/packaging/novaflux-config.cmake INSTALL_DESTINATION ${NOVAFLUX_CMAKE_PACKAGE_DIR})
# A host built for 1.x runs with any later 1.x: the C interface and the class only grow.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/packaging/novaflux-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/packaging/novaflux-config.cmake
  ${PROJECT_BINARY_DIR}/packaging/novaflux-config-version.cmake DESTINATION ${NOVAFLUX_CMAKE_PACKAGE_DIR})

# The pkg-config file finds the prefix from its own folder, L/pkgconfig.
file(RELATIVE_PATH NOVAFLUX_PC_TO_PREFIX /P/${NOVAFLUX_INSTALL_LIBDIR}/pkgconfig /P)
string(REGEX REPLACE "/$" "" NOVAFLUX_PC_TO_PREFIX "${NOVAFLUX_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/novaflux.pc.in ${PROJECT_BINARY_DIR}/packaging/novaflux.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/novaflux.pc DESTINATION ${NOVAFLUX_INSTALL_LIBDIR}/pkgconfig)

# The man page, from `novaflux --help` and each verb's help, when help2man is there (make deps
# installs it). Not for the sanitizer build, whose tool reports to the console as it exits.
find_program(NOVAFLUX_HELP2MAN help2man)
if(NOVAFLUX_HELP2MAN AND NOT NOVAFLUX_SANITIZE)
  set(man_page ${PROJECT_BINARY_DIR}/packaging/novaflux.1.gz)
  # The sections written by hand name the installed files of the Debian package.
  set(NOVAFLUX_PACKAGE_COMPONENT_DIR /usr/${NOVAFLUX_INSTALL_COMPONENT_DIR})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/novaflux.h2m.in ${PROJECT_BINARY_DIR}/packaging/sections.h2m @ONLY)
  add_custom_command(OUTPUT ${man_page}
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:novaflux_tool> -DHELP2MAN=${NOVAFLUX_HELP2MAN}
            -DEXTRA=${PROJECT_BINARY_DIR}/packaging/sections.h2m -DOUTPUT=${man_page}
            -P ${PROJECT_SOURCE_DIR}/packaging/man_page.cmake
    DEPENDS novaflux_tool ${PROJECT_SOURCE_DIR}/packaging/man_page.cmake ${PROJECT_BINARY_DIR}/packaging/sections.h2m
    COMMENT "Writing the man page of the tool from its help")
  add_custom_target(novaflux_man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION share/man/man1)
elseif(NOT NOVAFLUX_SANITIZE)
  message(STATUS "help2man not found: the tool's man page is not made")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/packaging/copyright
  DESTINATION share/doc/novaflux)
