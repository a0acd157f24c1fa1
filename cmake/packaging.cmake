# Installation and packages (included by CMakeLists.txt after the programs).
#
# Linux: cmake --install puts the programs in bin, the manual pages in
# share/man/man1, the schemas in share/velmarkon/schema and the documentation
# in share/doc/velmarkon; cpack builds a Debian package whose dependencies
# come from the shared libraries the programs link (dpkg-shlibdeps).
# Windows: one folder with the programs, README, schemas and documentation;
# cpack -G ZIP packs it.
file(GLOB VK_MAN_PAGES ${CMAKE_SOURCE_DIR}/docs/man/*.1)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(VK_INSTALL_BIN .)
  set(VK_INSTALL_SCHEMA schema)
  set(VK_INSTALL_DOC docs)
  set(VK_INSTALL_README .)
else()
  include(GNUInstallDirs)
  set(VK_INSTALL_BIN ${CMAKE_INSTALL_BINDIR})
  set(VK_INSTALL_SCHEMA ${CMAKE_INSTALL_DATADIR}/velmarkon/schema)
  set(VK_INSTALL_DOC ${CMAKE_INSTALL_DATADIR}/doc/velmarkon)
  set(VK_INSTALL_README ${VK_INSTALL_DOC})
  install(FILES ${VK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(TARGETS ${VK_PROGRAMS} RUNTIME DESTINATION ${VK_INSTALL_BIN})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/schema/ DESTINATION ${VK_INSTALL_SCHEMA})
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${VK_INSTALL_README})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${VK_INSTALL_DOC}
  PATTERN "man" EXCLUDE)

set(CPACK_PACKAGE_NAME velmarkon)
set(CPACK_PACKAGE_VENDOR "velmarkon")
set(CPACK_PACKAGE_CONTACT "velmarkon maintainers <maintainers@velmarkon.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "velmarkon-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, sqlite3")
  set(CPACK_PACKAGE_DESCRIPTION "Reads the master data marked for download from the system's database, turns each row into a 552-byte record, appends it to the send-buffer file of its terminal group and then releases the row. With velmarkon-status, velmarkon-ini and velmarkon-show.")
endif()
include(CPack)
