# The two routing pages of the utility, driven by real input under Wine and Xvfb with the
# virtual mixer loaded.
set(routing_tests_dir ${CMAKE_CURRENT_SOURCE_DIR}/routing_pages)
rkx_gtest(config_routing_pages_tests COST 100
  SOURCES
    ${routing_tests_dir}/routing_rig.cpp
    ${routing_tests_dir}/input_routing_test.cpp
    ${routing_tests_dir}/output_routing_test.cpp
  LIBRARIES rkx_test_utility_session vmix_client
  LABEL rig)
target_include_directories(config_routing_pages_tests PRIVATE ${RKX_SOURCE_ROOT})
add_dependencies(config_routing_pages_tests rkx_config rkx_setup rkxsetup vmixctl)
