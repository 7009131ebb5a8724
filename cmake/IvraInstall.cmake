# Installation (GNUInstallDirs, default prefix /usr/local) and the Debian
# package made by "cpack -G DEB" from the build folder.
#
#   bin/ivra, bin/ivra-cli
#   share/ivra/images, share/ivra/help         found from bin/ by IVRA_DATA_FROM_BIN
#   share/applications/ID.desktop               ID = the reverse-DNS id below
#   share/metainfo/ID.metainfo.xml
#   share/icons/hicolor/{48x48,256x256,scalable}/apps/ID.{png,svg}
#   share/man/man1/ivra.1, ivra-cli.1
#   share/bash-completion/completions/ivra-cli

set(IVRA_APP_ID org.ivra.ImageAnalyser)
set(IVRA_HOMEPAGE_URL "https://ivra.org/" CACHE STRING "The program's home page, named in the AppStream metadata")
set(IVRA_SCREENSHOT_URL "https://ivra.org/docs/screenshot.png" CACHE STRING
    "Where docs/screenshot.png is published, named in the AppStream metadata")
set(IVRA_RELEASE_DATE "2026-12-07" CACHE STRING "The release date in the AppStream metadata")
set(_dist ${CMAKE_SOURCE_DIR}/dist)

install(TARGETS ivra-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/images/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ivra/images)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/ivra/help)

configure_file(${_dist}/man/ivra-cli.1 ${CMAKE_BINARY_DIR}/man/ivra-cli.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/man/ivra-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_dist}/completion/ivra-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(TARGET ivra)
  install(TARGETS ivra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${_dist}/man/ivra.1 ${CMAKE_BINARY_DIR}/man/ivra.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/ivra.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${_dist}/${IVRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${_dist}/${IVRA_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${IVRA_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${IVRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The bitmap icons are rendered from the scalable one by the build.
  set(_svg ${_dist}/icons/${IVRA_APP_ID}.svg)
  install(FILES ${_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Gui Svg)
  add_executable(ivra_render_icon ${_dist}/RenderIcon.cpp)
  target_link_libraries(ivra_render_icon PRIVATE Qt6::Gui Qt6::Svg)
  set(_pngs)
  foreach(_size 48 256)
    set(_png ${CMAKE_BINARY_DIR}/icons/${_size}x${_size}/${IVRA_APP_ID}.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${_size}x${_size}
      COMMAND ivra_render_icon ${_svg} ${_size} ${_png}
      DEPENDS ${_svg} ivra_render_icon VERBATIM)
    list(APPEND _pngs ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
  add_custom_target(ivra_icons ALL DEPENDS ${_pngs})
endif()

# The Debian package. Its dependencies on shared libraries come from
# dpkg-shlibdeps; only what the program loads as a plugin at run time (Qt's
# platform plugins, without which no window opens, and the image-format
# plugins for ICO, TIFF, GIF and WebP) is named here, since no tool can see it.
set(CPACK_PACKAGE_NAME ivra)
set(CPACK_PACKAGE_VENDOR "The Ivra developers")
set(CPACK_PACKAGE_CONTACT "The Ivra developers <ivra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "measure and analyse photographs and micrographs")
set(CPACK_PACKAGE_DESCRIPTION
    "Ivra Image Analyser calibrates the pixel scale of an image and measures distances, angles and areas, "
    "counts objects, shows histograms, statistics and pixel profiles, filters and annotates images. "
    "ivra-cli measures thousands of images on all cores and writes CSV.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${IVRA_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET ivra)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
endif()
include(CPack)
