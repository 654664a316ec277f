# Installation and the Debian package: the two programs, the menu entry and
# icons, the manual pages, the AppStream metadata and the package's documents.
# The version comes from project(); the rest of the release is stated here.
include(GNUInstallDirs)
# Every install rule is here, in the component life3d, but for one file that
# only the package holds (component deb). The tests and cpack install them by
# name, so their scratch installs write install_manifest_<component>.txt and
# leave install_manifest.txt, the list of a real install that uninstalling
# reads, alone.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME life3d)

set(LIFE3D_RELEASE_DATE "2026-12-09")
set(LIFE3D_RELEASE_TIME "Wed, 09 Dec 2026 00:00:00 +0000")  # the same day, RFC 2822
set(LIFE3D_RELEASE_NOTE "First packaged release, with a menu entry, icons and manual pages.")
# Who built the package, for its Maintainer field and changelog. The default
# names the origin and gives an address on the reserved .invalid domain, which
# no mail can reach: there is no project address to invent.
set(LIFE3D_MAINTAINER "life3d developers <noreply@life3d.invalid>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")
# AppStream wants a reversed domain; this is the reversed life3d.invalid.
set(LIFE3D_APP_ID "invalid.life3d.life3d")
# Debian keeps games in /usr/games with their manual pages in section 6;
# life3d-render is a tool that writes files, so it stays in bin/.
set(LIFE3D_GAMESDIR "games" CACHE STRING "Folder of the game under the prefix (games, or bin)")

if(TARGET life3d-render)
  target_compile_definitions(life3d-render PRIVATE LIFE3D_VERSION="${PROJECT_VERSION}")
endif()

# The hardening Debian builds its packages with: checked libc calls where the
# buffer size is known, and no writable symbol table after start-up. Neither
# touches the arithmetic, so the pictures stay the same.
get_property(life3d_targets DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${life3d_targets})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "STATIC_LIBRARY")
    # glibc checks only optimised code and warns in a Debug build.
    target_compile_definitions(${target} PRIVATE
      $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
  endif()
endforeach()

set(data "${PROJECT_SOURCE_DIR}/data")
set(gen "${PROJECT_BINARY_DIR}/data")
configure_file(${data}/life3d.metainfo.xml.in ${gen}/life3d.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/man/life3d.6.in ${gen}/life3d.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/man/life3d-render.1.in ${gen}/life3d-render.1 @ONLY)
configure_file(${data}/changelog.in ${gen}/changelog @ONLY)

# Manual pages and the changelog are installed compressed, as Debian wants;
# -n leaves out the name and time, so the same text gives the same bytes, and
# -k keeps the text beside the .gz.
set(compressed "")
foreach(name life3d.6 life3d-render.1 changelog)
  add_custom_command(OUTPUT ${gen}/${name}.gz
    COMMAND gzip -9nkf ${gen}/${name}
    DEPENDS ${gen}/${name} VERBATIM)
  list(APPEND compressed ${gen}/${name}.gz)
endforeach()
add_custom_target(life3d_install_data ALL DEPENDS ${compressed})

if(TARGET life3d)
  install(TARGETS life3d RUNTIME DESTINATION ${LIFE3D_GAMESDIR})
  install(FILES ${data}/life3d.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${gen}/life3d.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 48 64 128 256)
    install(FILES ${data}/icons/hicolor/${size}x${size}/apps/life3d.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${gen}/life3d.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
endif()
if(TARGET life3d-render)
  install(TARGETS life3d-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${gen}/life3d-render.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${data}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Only in the package: lintian's note that the tool in bin/ beside a game is
# meant. A plain install leaves it out.
install(FILES ${data}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME life3d COMPONENT deb EXCLUDE_FROM_ALL)

# cpack -G DEB in the build folder makes life3d_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};life3d;/;${PROJECT_BINARY_DIR};${PROJECT_NAME};deb;/")
set(CPACK_PACKAGE_NAME life3d)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${LIFE3D_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from the binaries; the console panel's font is read at run time,
# so no binary names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Conway's Game of Life drawn live in 3-D
life3d runs Conway's Game of Life on a 40 x 40 board whose edges wrap around
and draws every generation as a 3-D scene in a window the size of the screen:
each cell that is live now or in the next generation is a box whose height
and colour tell whether it is staying alive (tall, red), being born (low,
blue-grey) or dying (low, brown), standing on a checkerboard ground. Single
keys turn the scene, move and zoom the camera, leave out the ground, stop the
centring and add a fresh random population; Esc ends the run.
.
The package also holds life3d-render, which runs the same program without a
display and writes its frames as PNG pictures, or whole runs as videos: .mp4
(H.264), .webm (VP9) or lossless .mkv (FFV1).")
# A package is only ever the whole program: cpack of a build that leaves a
# program out stops before it writes anything, naming the option to turn on.
set(missing "")
set(options "")
foreach(pair life3d:LIFE3D_DESKTOP life3d-render:LIFE3D_RENDER)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 program)
  list(GET pair 1 option)
  if(NOT TARGET ${program})
    list(APPEND missing ${program})
    list(APPEND options -D${option}=ON)
  endif()
endforeach()
if(missing)
  list(JOIN missing " and " missing)
  list(JOIN options " " options)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackRefusal.cmake)
  file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
    "message(FATAL_ERROR \"this build leaves out ${missing}: configure it with ${options}\")\n")
endif()
include(CPack)

if(LIFE3D_TESTS AND TARGET life3d)
  foreach(name file_list desktop_entry metainfo man_pages package desktop_exec)
    add_test(NAME install_${name}
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/${name}.sh ${PROJECT_BINARY_DIR})
    set_tests_properties(install_${name} PROPERTIES TIMEOUT 300)
  endforeach()
  # Each test installs into a scratch folder of its own; the window test
  # needs the machine to itself, as the other end-to-end tests do. The
  # package test builds both programs afresh in its scratch folder.
  set_tests_properties(install_desktop_exec PROPERTIES RUN_SERIAL TRUE)
  set_tests_properties(install_package PROPERTIES TIMEOUT 900)
endif()
