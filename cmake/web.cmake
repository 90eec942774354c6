# The browser build with Emscripten: link options shared by the page and by dfx for
# node, so that the bench measures the search as the page runs it.
# No -pthread anywhere: a plain static server gives the page no shared memory.

# Asyncify lets the game's blocking waits (keys, flip frames, the start-up handshake)
# yield to the browser; its own stack must hold the deepest wait's call chain. The
# search never waits, and left uninstrumented it runs about a fifth faster.
set(DFX_WEB_LINK_OPTIONS -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1
  "-sASYNCIFY_REMOVE=['*dfx::FastSearch::*','*dfx::LiteralSearch::*','*dfx::Evaluator::*','*dfx::LegalMoves*']")

# The page: our own index.html beside the .js, .wasm and the preloaded res/ files.
function(dfx_web_page target dir)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  target_link_options(${target} PRIVATE ${DFX_WEB_LINK_OPTIONS} -sENVIRONMENT=web
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/res/bmp@/res/bmp"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/res/board.txt@/res/board.txt")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/res/board.txt)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/src/host/web/index.html ${dir}/index.html)
endfunction()

# The page as an installable app: its manifest, icons drawn by the native dfx, the
# screen reader's text beside the canvas, and a service worker whose cache is named
# after this build's files (written last, once they are all in place).
find_program(DFX_NATIVE_DFX dfx NO_DEFAULT_PATH REQUIRED DOC "dfx built for this machine, which draws the icons")
function(dfx_web_app target dir)
  set(web ${PROJECT_SOURCE_DIR}/src/host/web)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy ${web}/manifest.webmanifest ${web}/screen_text.js ${web}/offline.js ${dir}
    COMMAND ${DFX_NATIVE_DFX} icons --png ${dir}/icon-192.png --size 192
    COMMAND ${DFX_NATIVE_DFX} icons --png ${dir}/icon-512.png --size 512
    COMMAND ${DFX_NATIVE_DFX} icons --png ${dir}/icon-maskable-512.png --size 512 --maskable
    COMMAND ${CMAKE_COMMAND} -DDIR=${dir} -DVERSION=${PROJECT_VERSION}.${DFX_VERSION_PATCH}
            -DTEMPLATE=${web}/sw.js -P ${PROJECT_SOURCE_DIR}/cmake/web_app.cmake)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${web}/manifest.webmanifest ${web}/sw.js
    ${web}/screen_text.js ${web}/offline.js ${web}/index.html)
endfunction()

# A command-line tool for node: real files through node's fs, the wasm loaded at once.
function(dfx_web_node_tool target)
  target_link_options(${target} PRIVATE ${DFX_WEB_LINK_OPTIONS} -sENVIRONMENT=node -sNODERAWFS=1
    -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1)
endfunction()
