# DFX_SANITIZE=address,undefined or thread: applied to every target of the build.
set(DFX_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(DFX_SANITIZE)
  add_compile_options(-fsanitize=${DFX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${DFX_SANITIZE})
  add_compile_definitions(DFX_SANITIZED=1)
endif()
