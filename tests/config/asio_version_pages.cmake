# Tests of the ASIO page, the installed-driver check and the version page. The rules run as
# unit tests; the driver list uses the installed driver's registration; the window tests start
# RKX-T2_Config.exe under Wine and Xvfb with the virtual mixer loaded and drive it with real
# input, a host of the test process streaming through the installed driver where needed.
set(asio_version_tests_dir ${CMAKE_CURRENT_SOURCE_DIR}/asio_version)

rkx_gtest(config_asio_version_unit_tests
  SOURCES ${asio_version_tests_dir}/asio_page_rules_test.cpp
  LIBRARIES rkx_config_core
  LABEL unit)

rkx_gtest(config_asio_driver_list_tests
  SOURCES ${asio_version_tests_dir}/asio_driver_list_test.cpp
  LIBRARIES rkx_config_core ole32
  LABEL rig)

rkx_gtest(config_asio_version_window_tests COST 50
  SOURCES
    ${asio_version_tests_dir}/page_session.cpp
    ${asio_version_tests_dir}/asio_rig_host.cpp
    ${asio_version_tests_dir}/asio_page_test.cpp
    ${asio_version_tests_dir}/version_page_test.cpp
  LIBRARIES rkx_test_utility_session asio_rig_support ole32
  LABEL rig)
target_include_directories(config_asio_version_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                           ${RKX_SOURCE_ROOT}/tests/asio)
add_dependencies(config_asio_version_window_tests rkx_config rkx_setup rkx_asio vmixctl)
