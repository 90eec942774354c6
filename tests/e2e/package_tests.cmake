# The Debian package: packed first, then checked, unpacked and started from elsewhere.
if(DFX_DPKG)
  add_test(NAME deb_build COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target deb)
  set_tests_properties(deb_build PROPERTIES LABELS e2e FIXTURES_SETUP dfx_deb)
  add_test(NAME package_e2e
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh ${CMAKE_CURRENT_LIST_DIR}/package_test.sh
      ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${DFX_DEB_FILE} ${DFX_APP_ID})
  set_tests_properties(package_e2e PROPERTIES LABELS e2e TIMEOUT 300 FIXTURES_REQUIRED dfx_deb)
endif()
