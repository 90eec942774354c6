# The whole program in a real SDL window under a private Xvfb.
# host_window_app (host_tests.cmake) asks the window to close as a window manager would.
if(DFX_BUILD_SDL AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME game_window_e2e
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh --screen 2048x1024x24 ${CMAKE_CURRENT_LIST_DIR}/game_window_test.sh
      $<TARGET_FILE:discoflipparex> $<TARGET_FILE:dfx> $<TARGET_FILE:host_window_app>
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(game_window_e2e PROPERTIES LABELS e2e TIMEOUT 180)
endif()
