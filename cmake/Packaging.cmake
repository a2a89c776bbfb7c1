# The Debian package: `cpack -G DEB` in the build folder (scripts/pos package) packs what
# `cmake --install` puts under /usr, with the package's dependencies read from the shared
# libraries the program links (dpkg-shlibdeps). Configured with CMAKE_INSTALL_PREFIX=/usr, the
# chart module goes to Debian's multiarch library folder (/usr/lib/<triplet>/point-of-sale).
set(POS_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/point-of-sale)

# Debian wants the copyright and a compressed change log in the package's documentation folder.
install(FILES ${PROJECT_SOURCE_DIR}/desktop/copyright DESTINATION ${POS_DOC_DIR})
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/desktop/changelog > ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/desktop/changelog
  COMMENT "Compressing the change log"
  VERBATIM)
add_custom_target(pos_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${POS_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME point-of-sale)
set(CPACK_PACKAGE_VENDOR Vantoral)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantoral <sales@vantoral.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "till for a small grocery store")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantoral <sales@vantoral.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.vantoral.com)
# The long description; its first line, the synopsis, is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A point-of-sale program for a small grocery store. A cashier rings up sales
behind a password: products by code or name, a quantity, tax, the amount
tendered, the change and a printed receipt. A manager keeps the catalogue,
stock, suppliers, tax rate and staff. The day is closed and booked into the
year's monthly sales, today's lines and sales charts can be reviewed, and the
store can be replicated to a second disk, backed up and restored.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window system through a plugin, which no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
include(CPack)
