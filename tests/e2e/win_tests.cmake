# The Windows build: the Win32 host and image objects on a real window (under Wine on
# Xvfb when cross-built), and the whole program driven with xdotool.
if(WIN32 AND TARGET dfx_host_win32)
  dfx_add_test(win32_tests LABEL win32
    SOURCES win_image_test.cpp win_host_test.cpp ${PROJECT_SOURCE_DIR}/tests/image/test_pictures.cpp
            ${PROJECT_SOURCE_DIR}/res/windows/discoflipparex.rc
    LIBS dfx_host_win32)
  target_include_directories(win32_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/image ${PROJECT_SOURCE_DIR}/res/icons)

  # A stand-in for the game that draws through the Win32 host, for the real-window
  # test before and besides the program itself.
  add_executable(win_probe WIN32 win_probe.cpp ${PROJECT_SOURCE_DIR}/res/windows/discoflipparex.rc)
  target_link_libraries(win_probe PRIVATE dfx_host_win32)
  target_include_directories(win_probe PRIVATE ${PROJECT_SOURCE_DIR}/res/icons)
  dfx_warnings(win_probe)
endif()

# The committed icons must be what `dfx icons` draws.
if(NOT CMAKE_CROSSCOMPILING AND TARGET dfx)
  add_test(NAME win_icons_committed COMMAND dfx icons --check res/icons WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(win_icons_committed PROPERTIES LABELS tools)
endif()
