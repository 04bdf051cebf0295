# Run by the install before any file goes in (QuorvelInstall.cmake sets QUORVEL_INSTALL_FOLDERS
# and QUORVEL_INSTALL_RECORD): every folder on the way to those the install puts files in that
# does not exist yet, for QuorvelInstallRecordEnd.cmake to write down. An install again into
# the same place keeps what the first one made: the folders are then there already.

set(QUORVEL_MADE_FOLDERS)
foreach(folder ${QUORVEL_INSTALL_FOLDERS})
  if(NOT IS_ABSOLUTE "${folder}")
    set(folder "${CMAKE_INSTALL_PREFIX}/${folder}")
  endif()
  # Up to the DESTDIR root, which is never counted as made by the install.
  while(NOT folder STREQUAL "/" AND NOT folder STREQUAL "" AND NOT EXISTS "$ENV{DESTDIR}${folder}")
    list(APPEND QUORVEL_MADE_FOLDERS "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()

set(QUORVEL_RECORDED_FILES)
if(EXISTS "${QUORVEL_INSTALL_RECORD}")
  file(STRINGS "${QUORVEL_INSTALL_RECORD}" recorded)
  list(FIND recorded "DESTDIR=$ENV{DESTDIR}" sameRoot)
  list(FIND recorded "PREFIX=${CMAKE_INSTALL_PREFIX}" samePrefix)
  if(sameRoot GREATER -1 AND samePrefix GREATER -1)
    foreach(line ${recorded})
      if(line MATCHES "^folder (.*)$")
        list(APPEND QUORVEL_MADE_FOLDERS "${CMAKE_MATCH_1}")
      elseif(line MATCHES "^file (.*)$")
        list(APPEND QUORVEL_RECORDED_FILES "${CMAKE_MATCH_1}")
      endif()
    endforeach()
  endif()
endif()
list(REMOVE_DUPLICATES QUORVEL_MADE_FOLDERS)
