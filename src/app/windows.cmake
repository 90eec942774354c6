# The native Windows program: the Win32 host and image libraries, the exe with its
# icons and version information, and the zip a Windows user downloads.
if(WIN32)
  add_subdirectory(${PROJECT_SOURCE_DIR}/src/image/win32 ${CMAKE_BINARY_DIR}/src/image/win32)
  add_subdirectory(${PROJECT_SOURCE_DIR}/src/host/win32 ${CMAKE_BINARY_DIR}/src/host/win32)

  if(TARGET dfx_game)
    add_executable(discoflipparex WIN32 main_win32.cpp ${PROJECT_SOURCE_DIR}/res/windows/discoflipparex.rc)
    target_link_libraries(discoflipparex PRIVATE dfx_game dfx_host_win32 dfx_version)
    target_include_directories(discoflipparex PRIVATE ${PROJECT_SOURCE_DIR}/res/icons)
    dfx_warnings(discoflipparex)
    include(${PROJECT_SOURCE_DIR}/res/windows/package.cmake)
  endif()
endif()
