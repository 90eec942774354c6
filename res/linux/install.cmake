# The Linux install tree (`cmake --install build --prefix P`, relocatable) and the Debian
# package (`deb` target, CPack). The desktop entry, icons and metainfo share DFX_APP_ID;
# the icons and the screenshots are drawn by dfx at build time.
include(GNUInstallDirs)

set(DFX_LICENSE MIT)
set(DFX_HOMEPAGE https://discoflipparex.github.io/)
set(DFX_MAINTAINER "Discoflipparex developers <discoflipparex@users.noreply.github.com>")
set(DFX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/discoflipparex)
execute_process(COMMAND date -u -R -d ${DFX_RELEASE_DATE} OUTPUT_VARIABLE DFX_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE)

set(DFX_LINUX_OUT ${CMAKE_BINARY_DIR}/linux)
configure_file(${CMAKE_CURRENT_LIST_DIR}/discoflipparex.desktop.in ${DFX_LINUX_OUT}/${DFX_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/metainfo.xml.in ${DFX_LINUX_OUT}/${DFX_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/discoflipparex.6.in ${DFX_LINUX_OUT}/discoflipparex.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/dfx.6.in ${DFX_LINUX_OUT}/dfx.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${DFX_LINUX_OUT}/changelog @ONLY)

# Icons at every size the desktop asks for, each drawn at its own size.
set(DFX_ICON_SIZES 16 32 48 128 256)
set(DFX_ICON_FILES)
foreach(size ${DFX_ICON_SIZES})
  set(icon ${DFX_LINUX_OUT}/icons/${size}x${size}/apps/${DFX_APP_ID}.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DFX_LINUX_OUT}/icons/${size}x${size}/apps
    COMMAND dfx icons --size ${size} --png ${icon}
    DEPENDS dfx VERBATIM)
  list(APPEND DFX_ICON_FILES ${icon})
endforeach()

# The two screenshots the metainfo shows, for publishing under DFX_HOMEPAGE/screenshots/.
set(DFX_SCREENSHOT_KEYS_title-screen "")
set(DFX_SCREENSHOT_KEYS_game "R 1 RIGHT RIGHT RIGHT DOWN DOWN RETURN DOWN RETURN RIGHT RETURN")
set(DFX_SCREENSHOTS)
foreach(name title-screen game)
  set(shot ${DFX_LINUX_OUT}/screenshots/${name}.png)
  add_custom_command(OUTPUT ${shot}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DFX_LINUX_OUT}/screenshots
    COMMAND dfx replay --keys "${DFX_SCREENSHOT_KEYS_${name}}" --out ${shot} > ${DFX_LINUX_OUT}/screenshots/${name}.txt
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DEPENDS dfx VERBATIM)
  list(APPEND DFX_SCREENSHOTS ${shot})
endforeach()

# The Debian package's own documents, gzipped the way Debian wants them.
add_custom_command(
  OUTPUT ${DFX_LINUX_OUT}/deb/changelog.gz ${DFX_LINUX_OUT}/deb/discoflipparex.6.gz ${DFX_LINUX_OUT}/deb/dfx.6.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DFX_LINUX_OUT}/deb
  COMMAND sh -c "gzip -9nc changelog > deb/changelog.gz && gzip -9nc discoflipparex.6 > deb/discoflipparex.6.gz \
&& gzip -9nc dfx.6 > deb/dfx.6.gz"
  WORKING_DIRECTORY ${DFX_LINUX_OUT}
  DEPENDS ${DFX_LINUX_OUT}/changelog ${DFX_LINUX_OUT}/discoflipparex.6 ${DFX_LINUX_OUT}/dfx.6 VERBATIM)
add_custom_target(linux-desktop-files ALL
  DEPENDS ${DFX_ICON_FILES} ${DFX_SCREENSHOTS} ${DFX_LINUX_OUT}/deb/changelog.gz)

# `cmake --install` puts down components "programs" and "data". The package takes "data"
# and, from "debian", the programs in /usr/games, the manual page gzipped and its own
# documents, as Debian's policy for games wants them.
install(TARGETS discoflipparex dfx RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
install(FILES ${DFX_LINUX_OUT}/discoflipparex.6 ${DFX_LINUX_OUT}/dfx.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT programs)

install(FILES ${PROJECT_SOURCE_DIR}/res/board.txt DESTINATION ${DFX_DATA_DIR}/res COMPONENT data)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/bmp DESTINATION ${DFX_DATA_DIR}/res COMPONENT data
        FILES_MATCHING PATTERN "*.bmp")
install(FILES ${DFX_LINUX_OUT}/${DFX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT data)
foreach(size ${DFX_ICON_SIZES})
  install(FILES ${DFX_LINUX_OUT}/icons/${size}x${size}/apps/${DFX_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT data)
endforeach()
install(FILES ${DFX_LINUX_OUT}/${DFX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT data)

install(TARGETS discoflipparex dfx RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${DFX_LINUX_OUT}/deb/discoflipparex.6.gz ${DFX_LINUX_OUT}/deb/dfx.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${DFX_LINUX_OUT}/deb/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/discoflipparex COMPONENT debian EXCLUDE_FROM_ALL)

# The package needs Debian's tools (dpkg-shlibdeps computes the dependencies).
find_program(DFX_DPKG dpkg)
if(DFX_DPKG)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME discoflipparex)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_CONTACT ${DFX_MAINTAINER})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reversi against the computer on a pocket computer's screen")
  set(CPACK_PACKAGE_DESCRIPTION "Play Reversi against the computer on an 8x8 board, inside a window that
imitates the monochrome dot-matrix screen of a small handheld computer.
The computer opens from a book of 64 lines, then searches ahead, and near
the end of the game searches to the end for the exact disc count. Five
levels, varied openings, and taking back a move.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  # Every folder readable by all, whatever the builder's umask.
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_folders.cmake)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL data debian)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DFX_HOMEPAGE})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
  include(CPack)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE DFX_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(DFX_DEB_FILE ${CMAKE_BINARY_DIR}/discoflipparex_${PROJECT_VERSION}_${DFX_DEB_ARCH}.deb)

  add_custom_target(deb
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${CMAKE_BINARY_DIR}/cpack
    DEPENDS discoflipparex dfx linux-desktop-files
    COMMENT "Packing the Debian package"
    VERBATIM)
endif()
