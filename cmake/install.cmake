# Installation and the Debian package: the two programs, the menu entry and
# icons, the manual pages, the AppStream metadata and the package's documents.
# The version comes from project(); the rest of the release is stated here.
include(GNUInstallDirs)
# Every install rule is here, in one component. The tests and cpack install it
# by name, so their scratch installs write install_manifest_life3d.txt and
# leave install_manifest.txt, the list of a real install that uninstalling
# reads, alone.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME life3d)

set(LIFE3D_RELEASE_DATE "2026-12-09")
set(LIFE3D_RELEASE_TIME "Wed, 09 Dec 2026 00:00:00 +0000")  # the same day, RFC 2822
set(LIFE3D_RELEASE_NOTE "First packaged release, with a menu entry, icons and manual pages.")
set(LIFE3D_MAINTAINER
    "Seed 53c10aad maintainers <maintainers@users.noreply.c-seed-53c10aad.example>")
# The address and the AppStream id (the address reversed) are placeholders on
# the reserved .example domain until the project has a public home.
set(LIFE3D_HOMEPAGE "https://life3d.example/")  # with the slash; holds screenshot.png
set(LIFE3D_APP_ID "example.life3d.life3d")

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
  install(TARGETS life3d RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

# cpack -G DEB in the build folder makes life3d_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};life3d;/")
set(CPACK_PACKAGE_NAME life3d)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${LIFE3D_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian keeps the games section for programs in /usr/games; these install
# into bin/, so the package goes with the other X11 programs.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LIFE3D_HOMEPAGE}")
# Libraries from the binaries; the console panel's font is read at run time,
# so no binary names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Conway's Game of Life drawn live in 3-D
life3d runs Conway's Game of Life on a 40 x 40 board whose edges wrap around
and draws every generation as a 3-D scene in a window that covers the screen:
each cell that is live now or in the next generation is a box whose height
and colour tell whether it is being born, dying or staying alive, standing on
a checkerboard ground. Single keys turn the scene, move and zoom the camera,
leave out the ground, stop the centring and add a fresh random population.
.
The package also holds life3d-render, which runs the same program without a
display and writes its frames as PNG pictures.")
include(CPack)

if(LIFE3D_TESTS AND TARGET life3d)
  foreach(name file_list desktop_entry metainfo man_pages package desktop_exec)
    add_test(NAME install_${name}
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/install/${name}.sh ${PROJECT_BINARY_DIR})
    set_tests_properties(install_${name} PROPERTIES TIMEOUT 300)
  endforeach()
  # Each test installs into a scratch folder of its own; the window test
  # needs the machine to itself, as the other end-to-end tests do.
  set_tests_properties(install_desktop_exec PROPERTIES RUN_SERIAL TRUE)
endif()
