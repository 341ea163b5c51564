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
# The shipped limit sets as files too, for a user to read or start a set of
# his own from (the programs hold them in themselves).
if(WIN32)
  install(DIRECTORY src/limits/sets/ DESTINATION limits)
else()
  install(DIRECTORY src/limits/sets/ DESTINATION ${CMAKE_INSTALL_DATADIR}/brenlow/limits)
endif()

# The explorer, its page in one file that opens from the disk
# (build-web/explorer.html, which `make web` builds; make package and make
# windows name it here): at the top of the Windows zip beside the programs;
# in the Debian package /usr/share/brenlow/explorer.html, with the command
# brenlow-explorer that opens it in the default browser.
set(BRENLOW_EXPLORER_PAGE "" CACHE FILEPATH "The explorer's page in one file, to ship (build-web/explorer.html)")
if(BRENLOW_EXPLORER_PAGE AND WIN32)
  install(FILES ${BRENLOW_EXPLORER_PAGE} DESTINATION .)
elseif(BRENLOW_EXPLORER_PAGE)
  install(FILES ${BRENLOW_EXPLORER_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/brenlow)
  configure_file(packaging/brenlow-explorer.in ${PROJECT_BINARY_DIR}/brenlow-explorer @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/brenlow-explorer DESTINATION ${brenlow_bin_dir})
endif()

# The Windows programs hold, linked statically, besides the C library's
# math functions (COPYING.glibc.txt, third_party/glibc-float): GCC's C++
# library and runtime (GPL 3 with the GCC Runtime Library Exception),
# MinGW-w64's C runtime and winpthreads, {fmt} and fast_float. Their
# licences go into the zip beside the programs, taken from the copyright
# files of the Debian packages the build uses (the very code linked in);
# GCC's refers to the GPL 3 by its Debian path, so its text follows it.
if(WIN32)
  set(licence_folder ${PROJECT_BINARY_DIR}/licences)
  set(licences
      "COPYING.libstdc++.txt|/usr/share/doc/gcc-mingw-w64-base/copyright|/usr/share/common-licenses/GPL-3"
      "COPYING.mingw-w64.txt|/usr/share/doc/mingw-w64-x86-64-dev/copyright"
      "COPYING.fmt.txt|/usr/share/doc/libfmt-dev/copyright"
      "COPYING.fast_float.txt|/usr/share/doc/libfast-float-dev/copyright")
  foreach(licence IN LISTS licences)
    string(REPLACE "|" ";" parts "${licence}")
    list(POP_FRONT parts name)
    set(text "")
    foreach(source IN LISTS parts)
      if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} is missing: the Windows zip ships it as ${name} (make windows installs its package with the build tools)")
      endif()
      file(READ ${source} part)
      if(text)
        string(APPEND text "\n\n==== ${source} ====\n\n")
      endif()
      string(APPEND text "${part}")
    endforeach()
    file(WRITE ${licence_folder}/${name} "${text}")
    install(FILES ${licence_folder}/${name} DESTINATION .)
  endforeach()
endif()

# What Debian expects beside the programs (packaging/): the copyright file
# (the programs hold the C and C++ libraries: their licences ship too), the
# changelog (changelog.Debian.gz: the version has a Debian revision, -1)
# and a manual page for each command. The pages are made from the
# commands' own --help and --version by help2man when the package is made
# (the target debian_files, which make package builds), so that they never
# fall behind the programs. A plain install from source goes without them.
if(NOT WIN32)
  set(debian_files ${PROJECT_BINARY_DIR}/debian-files)
  find_program(BRENLOW_HELP2MAN help2man)
  find_program(BRENLOW_GZIP gzip)
  set(debian_outputs ${debian_files}/changelog.Debian.gz)
  add_custom_command(OUTPUT ${debian_files}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${debian_files}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${debian_files}/changelog.Debian
    COMMAND ${BRENLOW_GZIP} -9nf ${debian_files}/changelog.Debian
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
  # The commands with a manual page: the programs, and brenlow-explorer
  # (a script) when the package holds the explorer's page.
  set(manual_commands tesk31 tesk31-plot tesk31-study)
  if(BRENLOW_EXPLORER_PAGE)
    list(APPEND manual_commands brenlow-explorer)
  endif()
  foreach(command ${manual_commands})
    if(TARGET ${command})
      set(runs $<TARGET_FILE:${command}>)
      set(made_by ${command})
    else()
      set(runs ${PROJECT_BINARY_DIR}/${command})
      set(made_by ${runs})
    endif()
    add_custom_command(OUTPUT ${debian_files}/${command}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${debian_files}
      COMMAND ${BRENLOW_HELP2MAN} --no-info --section=1
              --include=${PROJECT_SOURCE_DIR}/packaging/${command}.h2m --output=${debian_files}/${command}.1
              ${runs}
      COMMAND ${BRENLOW_GZIP} -9nf ${debian_files}/${command}.1
      DEPENDS ${made_by} ${PROJECT_SOURCE_DIR}/packaging/${command}.h2m VERBATIM)
    list(APPEND debian_outputs ${debian_files}/${command}.1.gz)
    install(FILES ${debian_files}/${command}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
  endforeach()
  if(BRENLOW_HELP2MAN AND BRENLOW_GZIP)
    add_custom_target(debian_files DEPENDS ${debian_outputs})
  else()
    add_custom_target(debian_files
      COMMAND ${CMAKE_COMMAND} -E echo "debian_files: help2man and gzip make the package's manual pages and changelog; .ci/install-build-tools installs them"
      COMMAND ${CMAKE_COMMAND} -E false VERBATIM)
  endif()
  install(FILES packaging/copyright DESTINATION ${brenlow_doc_dir})
  install(FILES ${debian_files}/changelog.Debian.gz DESTINATION ${brenlow_doc_dir} OPTIONAL)
  # lintian's findings that are meant (each with its reason there).
  install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME brenlow)
endif()

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
  if(BRENLOW_EXPLORER_PAGE)
    # brenlow-explorer opens the page with sensible-browser when xdg-open is missing.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS sensible-utils)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
  endif()
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "tesk31 predicts conductor surface gradients, audible noise, radio and TV\ninterference, ozone, corona loss and the electric and magnetic fields across\nthe right-of-way of AC, DC and hybrid lines; tesk31-plot draws its profiles,\ntesk31-study runs design studies on its engine.")
endif()
include(CPack)
