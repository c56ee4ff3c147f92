# SPDX-License-Identifier: GPL-3.0-or-later
# Manuals, shell completion and the Debian package's own documents, then
# CPack's settings for the Debian package (cpack -G DEB, see scripts/package).

find_program(ORVANTA_GZIP gzip REQUIRED)

# Compressed at build time without a time stamp, so that the same sources
# give the same files.
function(orvanta_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${ORVANTA_GZIP} -9nc ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

set(pack_dir ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pack_dir})
set(pack_outputs)
foreach(page orvanta.1 orvanta-db.1)
  orvanta_gzip(${PROJECT_SOURCE_DIR}/man/${page} ${pack_dir}/${page}.gz)
  list(APPEND pack_outputs ${pack_dir}/${page}.gz)
  install(FILES ${pack_dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# The launcher is described in the program's page.
file(CREATE_LINK orvanta.1.gz ${pack_dir}/orvanta-launcher.1.gz SYMBOLIC)
install(FILES ${pack_dir}/orvanta-launcher.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${pack_dir}/changelog @ONLY)
orvanta_gzip(${pack_dir}/changelog ${pack_dir}/changelog.gz)
list(APPEND pack_outputs ${pack_dir}/changelog.gz)
add_custom_target(orvanta_packaging_files ALL DEPENDS ${pack_outputs})
install(FILES ${pack_dir}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${PROJECT_SOURCE_DIR}/completion/orvanta-db
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvanta developers")
set(CPACK_PACKAGE_CONTACT "The Orvanta developers <maintainers@orvanta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "IPv4 and IPv6 address locator with map and WHOIS")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_CURRENT_LIST_DIR}/description.txt)
# Installed with DESTDIR for /usr whatever the build's own prefix, so that
# the desktop entry, made at install time, names /usr/bin/orvanta-launcher.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORVANTA_HOME_URL})
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not name: the browser engine's helper process and
# its resources, the SVG image plugin, the certificates the downloads and
# RDAP verify against, the subdivision codes of the database build, and the
# caption font the windows draw with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6webenginecore6-bin, libqt6webengine6-data, libqt6svg6, ca-certificates, iso-codes")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
include(CPack)
