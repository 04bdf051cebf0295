# Run by the install after every file went in: writes down, for make uninstall
# (tools/uninstall.sh), the root and prefix installed into, the folders the install made and
# the files it put in, as the install manifest names them (without DESTDIR). make package
# installs into a staging folder of its own: that install is no one's to uninstall, and
# leaves the record of a real one as it was.

if("$ENV{DESTDIR}" MATCHES "/_CPack_Packages/")
  return()
endif()
set(record "DESTDIR=$ENV{DESTDIR}\nPREFIX=${CMAKE_INSTALL_PREFIX}\n")
foreach(folder ${QUORVEL_MADE_FOLDERS})
  string(APPEND record "folder ${folder}\n")
endforeach()
set(files ${QUORVEL_RECORDED_FILES} ${CMAKE_INSTALL_MANIFEST_FILES})
list(REMOVE_DUPLICATES files)
foreach(file ${files})
  string(APPEND record "file ${file}\n")
endforeach()
file(WRITE "${QUORVEL_INSTALL_RECORD}" "${record}")
