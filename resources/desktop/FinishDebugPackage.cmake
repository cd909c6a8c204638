# Runs after cpack has made the packages (CPACK_POST_BUILD_SCRIPTS) and
# finishes the debug package, scriva-dbgsym, the way Debian's own debug
# packages are made: CPack 3.25 writes its md5sums with the build folder's
# absolute paths (so dpkg --verify and lintian find every file missing) and
# gives it no documentation folder. The package is unpacked, its md5sums
# written anew with package paths, its debug files made plain data (0644),
# /usr/share/doc/scriva-dbgsym pointed at the program's own folder (the debug
# package depends on that exact version, so its copyright and changelog apply),
# and packed again.
foreach(package ${CPACK_PACKAGE_FILES})
  if(NOT package MATCHES "-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  get_filename_component(name ${package} NAME)
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/finish-dbgsym/${name})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${package}")
  endif()

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/*)
  list(FILTER files EXCLUDE REGEX "^DEBIAN/")
  list(SORT files)
  set(sums "")
  foreach(file ${files})
    file(CHMOD ${tree}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MD5 ${tree}/${file} sum)
    string(APPEND sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${sums}")

  string(REGEX REPLACE "_.*$" "" debug_name ${name})
  string(REGEX REPLACE "-dbgsym$" "" program_name ${debug_name})
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${program_name} ${tree}/usr/share/doc/${debug_name} SYMBOLIC)

  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -z6 --build ${tree} ${package}
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot pack ${package} again")
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
