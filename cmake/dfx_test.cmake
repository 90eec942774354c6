if(CMAKE_CROSSCOMPILING)
  # The cross sysroot has no GoogleTest: build it for the target from Debian's sources.
  set(DFX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  if(NOT TARGET GTest::gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${DFX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main gmock gmock_main)
      if(TARGET ${lib} AND NOT TARGET GTest::${lib})
        add_library(GTest::${lib} ALIAS ${lib})
      endif()
    endforeach()
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# dfx_add_test(NAME LABEL label SOURCES ... LIBS ...): one GoogleTest executable whose
# tests carry the CTest label of their folder, run from the source tree so res/ is found.
function(dfx_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE DFX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  dfx_warnings(${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Cross builds list their tests by running them under the emulator at test time.
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
  else()
    gtest_discover_tests(${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
