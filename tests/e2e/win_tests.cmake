# The Windows build: the Win32 host and image objects on a real window (under Wine on
# Xvfb when cross-built), and the whole program driven with xdotool.
if(WIN32)
  dfx_add_test(win32_tests LABEL win32
    SOURCES win_image_test.cpp win_host_test.cpp ${PROJECT_SOURCE_DIR}/tests/image/test_pictures.cpp
            ${PROJECT_SOURCE_DIR}/res/windows/discoflipparex.rc
    LIBS dfx_host_win32)
  target_include_directories(win32_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/image ${PROJECT_SOURCE_DIR}/res/icons)

  # A stand-in for the game that draws through the Win32 host, for the real-window
  # test before and besides the program itself.
  add_executable(win_probe WIN32 win_probe.cpp ${PROJECT_SOURCE_DIR}/res/windows/discoflipparex.rc)
  target_link_libraries(win_probe PRIVATE dfx_host_win32 dfx_lcd)
  target_include_directories(win_probe PRIVATE ${PROJECT_SOURCE_DIR}/res/icons)
  dfx_warnings(win_probe)

  add_executable(win_window_facts win_window_facts.cpp)
  target_link_libraries(win_window_facts PRIVATE user32)
  dfx_warnings(win_window_facts)

  if(CMAKE_CROSSCOMPILING)
    # Screens are read back by a dfx built for this machine (the windows preset names
    # the release build's).
    set(DFX_NATIVE_DFX "" CACHE FILEPATH "dfx built for this machine, which reads the screenshots")
    if(NOT DFX_NATIVE_DFX)
      message(FATAL_ERROR "The Windows tests under Wine need DFX_NATIVE_DFX: a dfx built for this machine")
    endif()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    foreach(pair probe:win_probe game:discoflipparex)
      string(REPLACE ":" ";" pair ${pair})
      list(GET pair 0 scenario)
      list(GET pair 1 program)
      add_test(NAME win_${scenario}_e2e
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/win_e2e.py ${scenario}
                $<TARGET_FILE:${program}> $<TARGET_FILE:win_window_facts> ${DFX_NATIVE_DFX}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
      # One Wine session at a time in the e2e prefix: each test brings its own display.
      set_tests_properties(win_${scenario}_e2e PROPERTIES LABELS e2e TIMEOUT 900 RESOURCE_LOCK dfx_wine_e2e)
    endforeach()

    # The download itself: packed first, then unpacked and started on its own.
    add_test(NAME win_package_build
      COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target windows-package)
    set_tests_properties(win_package_build PROPERTIES LABELS e2e FIXTURES_SETUP dfx_windows_zip)
    add_test(NAME win_package_e2e
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/win_e2e.py package ${DFX_PACKAGE_ZIP}
              $<TARGET_FILE:win_window_facts> ${DFX_NATIVE_DFX}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(win_package_e2e PROPERTIES LABELS e2e TIMEOUT 300 RESOURCE_LOCK dfx_wine_e2e
                         FIXTURES_REQUIRED dfx_windows_zip)
  endif()
endif()

# The committed icons must be what `dfx icons` draws.
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME win_icons_committed COMMAND dfx icons --check res/icons WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(win_icons_committed PROPERTIES LABELS tools)
endif()
