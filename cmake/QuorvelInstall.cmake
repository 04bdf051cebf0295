# make install and make package: the two programs, their manual pages, the desktop entry
# and icons, and the documents, laid out as a Linux desktop expects.

include(GNUInstallDirs)

# Every folder the install puts files in.
set(icon_sizes 16 24 32 48 64 128 256)
set(QUORVEL_INSTALL_FOLDERS ${CMAKE_INSTALL_BINDIR})
if(NOT WIN32)
  list(APPEND QUORVEL_INSTALL_FOLDERS ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DATADIR}/applications
       ${CMAKE_INSTALL_DOCDIR})
  foreach(size ${icon_sizes})
    list(APPEND QUORVEL_INSTALL_FOLDERS ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()
# make uninstall removes what the install put in and the folders it made, no others: before
# any file goes in, the folders on the way to those above that do not exist yet are noted,
# and once all are in, they and the files are written down in build/installed.txt (make
# package leaves it alone). The last rule of this file writes it.
install(CODE "set(QUORVEL_INSTALL_FOLDERS \"${QUORVEL_INSTALL_FOLDERS}\")
              set(QUORVEL_INSTALL_RECORD \"${PROJECT_BINARY_DIR}/installed.txt\")")
install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/QuorvelInstallRecordStart.cmake)

install(TARGETS quorvel quorvel-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/QuorvelInstallRecordEnd.cmake)
  return()
endif()

set(QUORVEL_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(QUORVEL_STAGED ${PROJECT_BINARY_DIR}/staged)

# Manual pages and the changelog are installed compressed, without a timestamp inside.
set(compressed)
foreach(name quorvel.1 quorvel-render.1 changelog)
  add_custom_command(OUTPUT ${QUORVEL_STAGED}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_STAGED}
                     COMMAND gzip -9 -n -c ${QUORVEL_PACKAGING}/${name} > ${QUORVEL_STAGED}/${name}.gz
                     DEPENDS ${QUORVEL_PACKAGING}/${name} VERBATIM)
  list(APPEND compressed ${QUORVEL_STAGED}/${name}.gz)
endforeach()

# Icons drawn from the built-in picture, at the sizes desktops ask for.
set(icons)
foreach(size ${icon_sizes})
  add_custom_command(OUTPUT ${QUORVEL_STAGED}/icon-${size}.png
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_STAGED}
                     COMMAND quorvel-draw-icon ${size} ${QUORVEL_STAGED}/icon-${size}.png
                     DEPENDS quorvel-draw-icon VERBATIM)
  list(APPEND icons ${QUORVEL_STAGED}/icon-${size}.png)
  install(FILES ${QUORVEL_STAGED}/icon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quorvel.png)
endforeach()
add_custom_target(quorvel_install_files ALL DEPENDS ${compressed} ${icons})

install(FILES ${QUORVEL_STAGED}/quorvel.1.gz ${QUORVEL_STAGED}/quorvel-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVEL_PACKAGING}/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The README for someone with the programs but not the source tree.
install(FILES ${QUORVEL_PACKAGING}/README ${PROJECT_SOURCE_DIR}/LICENSE ${QUORVEL_PACKAGING}/copyright
              ${QUORVEL_STAGED}/changelog.gz ${PROJECT_SOURCE_DIR}/docs/report.schema.json
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package (make package).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Quorvel authors")
set(CPACK_PACKAGE_CONTACT "The Quorvel authors <quorvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time software renderer of a spinning, textured solid")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quorvel opens a window almost as large as the screen and draws a textured,\n"
    "lit solid that spins and breathes in size. Every pixel comes from its own\n"
    "rasterizer: scan-converted triangles, a depth buffer, per-pixel lighting from\n"
    "three coloured lights and a bilinear texture, drawn by two threads.\n"
    ".\n"
    "quorvel-render draws the same frames without a window, exact to the bit, and\n"
    "saves them as images, streams them to video tools or prints their hashes.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross build's package is for the processor it was built for (make package-arm64).
if(CMAKE_CROSSCOMPILING AND QUORVEL_ARM64)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/QuorvelInstallRecordEnd.cmake)
