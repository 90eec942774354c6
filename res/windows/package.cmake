# `windows-package`: the zip a Windows user downloads, with the exe, the start
# position, the glyph pictures and the READMEs, in one folder.
set(DFX_PACKAGE_NAME discoflipparex-${PROJECT_VERSION}-windows)
set(DFX_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package/${DFX_PACKAGE_NAME})
# Cached so that the test of the download knows where it is.
set(DFX_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${DFX_PACKAGE_NAME}.zip CACHE INTERNAL "The Windows zip")
add_custom_target(windows-package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DFX_PACKAGE_STAGE}/res
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:discoflipparex> ${DFX_PACKAGE_STAGE}/
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/res/board.txt ${DFX_PACKAGE_STAGE}/res/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/res/bmp ${DFX_PACKAGE_STAGE}/res/bmp
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/res/windows/README-windows.txt
          ${DFX_PACKAGE_STAGE}/
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${DFX_PACKAGE_ZIP} --format=zip ${DFX_PACKAGE_NAME}
  DEPENDS discoflipparex
  COMMENT "Packing ${DFX_PACKAGE_ZIP}"
  VERBATIM)
