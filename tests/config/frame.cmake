# Tests of the utility's start-up and main window. Unit tests drive the rules directly; the
# window tests start RKX-T2_Config.exe under Wine and Xvfb and drive it with real input.
set(frame_tests_dir ${CMAKE_CURRENT_SOURCE_DIR}/frame)
# The real string tables, for the table-choice tests.
if(NOT RKX_STRINGS_RC)
  include(${RKX_SOURCE_ROOT}/config/strings/strings.cmake)
endif()

rkx_gtest(config_frame_unit_tests
  SOURCES
    ${frame_tests_dir}/language_test.cpp
    ${frame_tests_dir}/start_arguments_test.cpp
    ${frame_tests_dir}/window_rules_test.cpp
    ${frame_tests_dir}/setup_binding_test.cpp
    ${RKX_STRINGS_RC}
  LIBRARIES rkx_config_core
  LABEL unit)
# The binding test loads the setup library from beside the test program.
add_dependencies(config_frame_unit_tests rkx_setup)

rkx_gtest(config_frame_window_tests COST 55
  SOURCES ${frame_tests_dir}/window_test.cpp
  LIBRARIES rkx_test_utility_session
  LABEL rig)
add_dependencies(config_frame_window_tests rkx_config rkx_setup vmixctl)
