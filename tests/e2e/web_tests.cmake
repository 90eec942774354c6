# The browser page (`make web` writes it to DFX_WEB_DIR) in Debian's headless Chromium,
# driven by puppeteer-core from tests/e2e/web (`npm ci` there first; `make test` does).
if(NOT CMAKE_CROSSCOMPILING)
  find_program(DFX_NODE node REQUIRED)
  find_program(DFX_CHROMIUM chromium REQUIRED)
  set(DFX_WEB_DIR ${PROJECT_SOURCE_DIR}/build/web CACHE PATH "The static page the browser test serves")
  add_test(NAME web_game_e2e
    COMMAND ${DFX_NODE} ${CMAKE_CURRENT_LIST_DIR}/web/web_game_test.mjs ${DFX_WEB_DIR} $<TARGET_FILE:dfx> ${DFX_CHROMIUM}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(web_game_e2e PROPERTIES LABELS e2e TIMEOUT 400)
endif()

