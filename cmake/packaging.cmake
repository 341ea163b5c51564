# What `make package` and `make windows` ship: the three programs, the
# examples, the manual and the README. A Debian package installs them in
# /usr/bin and /usr/share/doc/brenlow; the Windows zip holds them in one
# folder, the programs at its top.
if(WIN32)
  set(brenlow_bin_dir .)
  set(brenlow_doc_dir .)
else()
  include(GNUInstallDirs)
  set(brenlow_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(brenlow_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/brenlow)
endif()
install(TARGETS tesk31 tesk31-plot tesk31-study RUNTIME DESTINATION ${brenlow_bin_dir})
install(DIRECTORY examples/ DESTINATION ${brenlow_doc_dir}/examples)
install(DIRECTORY docs/ DESTINATION ${brenlow_doc_dir}/docs)
install(FILES README.md DESTINATION ${brenlow_doc_dir})

set(CPACK_PACKAGE_NAME brenlow)
set(CPACK_PACKAGE_VENDOR "Brenlow")
set(CPACK_PACKAGE_CONTACT "Brenlow developers <brenlow@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Corona effects and power-frequency fields of overhead high-voltage lines")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME brenlow-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # brenlow_VERSION-1_amd64.deb
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the libraries the programs link, from dpkg-shlibdeps
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "tesk31 predicts conductor surface gradients, audible noise, radio and TV\ninterference, ozone, corona loss and the electric and magnetic fields across\nthe right-of-way of AC, DC and hybrid lines; tesk31-plot draws its profiles,\ntesk31-study runs design studies on its engine.")
endif()
include(CPack)
