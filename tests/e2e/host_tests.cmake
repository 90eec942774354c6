# The SDL window under a private Xvfb: drawing, cover and uncover, keys, zoom, threads, close.
if(DFX_BUILD_SDL AND NOT CMAKE_CROSSCOMPILING)
  add_executable(host_window_app ${CMAKE_CURRENT_LIST_DIR}/host_window_app.cpp ${CMAKE_CURRENT_LIST_DIR}/host_window_close.cpp)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
  target_link_libraries(host_window_app PRIVATE dfx_host_sdl PkgConfig::X11)
  dfx_warnings(host_window_app)
  add_test(NAME host_window_e2e
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh --screen 2048x1024x24 ${CMAKE_CURRENT_LIST_DIR}/host_window_test.sh $<TARGET_FILE:host_window_app>
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(host_window_e2e PROPERTIES LABELS e2e TIMEOUT 120)
endif()
