# Run by the install before any file goes in (QuorvelInstall.cmake sets QUORVEL_INSTALL_FOLDERS
# and QUORVEL_MADE_FOLDERS_FILE): writes down the root installed into, then every folder on
# the way to those the install puts files in that does not exist yet, as the install
# manifest names files (without DESTDIR), for make uninstall (tools/uninstall.sh).

set(made)
foreach(folder ${QUORVEL_INSTALL_FOLDERS})
  if(NOT IS_ABSOLUTE "${folder}")
    set(folder "${CMAKE_INSTALL_PREFIX}/${folder}")
  endif()
  # Up to the DESTDIR root, which is never counted as made by the install.
  while(NOT folder STREQUAL "/" AND NOT folder STREQUAL "" AND NOT EXISTS "$ENV{DESTDIR}${folder}")
    list(APPEND made "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES made)
string(REPLACE ";" "\n" made "${made}")
file(WRITE "${QUORVEL_MADE_FOLDERS_FILE}" "DESTDIR=$ENV{DESTDIR}\nPREFIX=${CMAKE_INSTALL_PREFIX}\n${made}\n")
