# Installation as a Linux program: `cmake --install build [--prefix P]` puts the programs in
# P/bin, the shipped data and the help pages in P/share/sonbex3, and the desktop integration
# (desktop entry, icons, AppStream metainfo, file types) and man pages where the desktop and
# man(1) look for them. The programs find their data installed or in the build tree alike.
include(GNUInstallDirs)

install(TARGETS sonbex3-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(SONBEX_GUI)
  install(TARGETS sonbex3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY share/sonbex3/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sonbex3)
install(DIRECTORY docs/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sonbex3/help)
install(FILES share/applications/sonbex3.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES share/metainfo/org.sonbex.Sonbex3.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES share/mime/sonbex3.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES share/icons/sonbex3.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Bitmap icons made from the drawing at build time.
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(icons)
  foreach(size 48 256)
    set(png ${PROJECT_BINARY_DIR}/desktop/icons/${size}/sonbex3.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/desktop/icons/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${PROJECT_SOURCE_DIR}/share/icons/sonbex3.svg -o ${png}
      DEPENDS ${PROJECT_SOURCE_DIR}/share/icons/sonbex3.svg VERBATIM)
    list(APPEND icons ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(sonbex_icons ALL DEPENDS ${icons})
else()
  message(WARNING "rsvg-convert not found: the 48 and 256 px icons are not made (scripts/setup installs it)")
endif()

# Man pages from the programs' own --help, made again whenever a program is.
if(NOT SONBEX_SANITIZE AND NOT SONBEX_FUZZ)
  set(pages)
  macro(sonbex_man_page program summary)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/ManPage.sh $<TARGET_FILE:${program}> ${program}
              ${PROJECT_VERSION} ${summary} ${page}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/ManPage.sh VERBATIM)
    list(APPEND pages ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endmacro()
  sonbex_man_page(sonbex3-cli "measure, analyse and design loudspeakers in batch jobs")
  if(SONBEX_GUI)
    sonbex_man_page(sonbex3 "measure and design loudspeakers with a sound card")
  endif()
  add_custom_target(sonbex_man_pages ALL DEPENDS ${pages})
endif()
