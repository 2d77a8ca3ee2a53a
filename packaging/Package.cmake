# The Debian package (scripts/build-deb): manual pages, the AppStream
# metainfo, the copyright file and changelog, and CPack's DEB settings.
# Runtime dependencies are found from the binaries by dpkg-shlibdeps.

set(VORREL_APP_ID "org.example.vorrel" CACHE STRING "AppStream id of the game (reverse DNS)")
set(VORREL_HOMEPAGE "https://vorrel.example.org" CACHE STRING "The game's web address (screenshots live under it)")
set(VORREL_MAINTAINER "Quillmoor <vorrel@example.org>" CACHE STRING "Maintainer of the package")

# Manual pages, gzip'd as Debian wants; a tool's page only when the tool is built.
set(VORREL_MAN_PAGES vorrel.6)
foreach(tool vorrel-replay vorrel-record vorrel-lint vorrel-render vorrel-solve vorrel-share vorrel-edit)
  if(TARGET ${tool})
    list(APPEND VORREL_MAN_PAGES ${tool}.6)
  endif()
endforeach()
set(VORREL_MAN_OUTPUTS "")
foreach(page ${VORREL_MAN_PAGES})
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/man/${page} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/man/${page}
    VERBATIM)
  list(APPEND VORREL_MAN_OUTPUTS ${out})
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(manpages ALL DEPENDS ${VORREL_MAN_OUTPUTS} ${changelog})

configure_file(packaging/vorrel.metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${VORREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VORREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vorrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VORREL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VORREL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puzzle platformer of boxes, bombs, gems and ladders")
# The synopsis line comes from the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Guide one small explorer through screens of earth, stone and water: push
wooden boxes into pits, stack them into stairs, blast walls with bombs, jump
gaps and climb ladders, collect every gem and reach the door. A
level-selection map leads into a campaign of levels that get harder as you
go. Plays with the keyboard or a gamepad.
.
Also holds the level designer's tools: a lint for level files, a renderer,
and a recorder and replayer of plays.")
include(CPack)
