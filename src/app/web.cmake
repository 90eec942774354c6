# The browser page, built by the `web` preset into DFX_WEB_DIR.
if(EMSCRIPTEN AND TARGET dfx_game AND TARGET dfx_host_web)
  set(DFX_WEB_DIR ${PROJECT_SOURCE_DIR}/build/web CACHE PATH "Where the static page is written")
  add_executable(discoflipparex main_web.cpp)
  target_link_libraries(discoflipparex PRIVATE dfx_game dfx_host_web)
  dfx_warnings(discoflipparex)
  dfx_web_page(discoflipparex ${DFX_WEB_DIR})
endif()
