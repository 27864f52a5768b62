# The settings utility's string tables, built into a test program as its own resources and
# read back the way the utility reads them.
if(RKX_64BIT)
  if(NOT RKX_STRINGS_RC)
    include(${RKX_SOURCE_ROOT}/config/strings/strings.cmake)
  endif()
  rkx_gtest(config_string_tables_test LABEL unit
    SOURCES
      ${CMAKE_CURRENT_SOURCE_DIR}/string_tables/string_table_reader.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/string_tables/text_signature.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/string_tables/text_layout.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/string_tables/string_tables_test.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/string_tables/text_fit_test.cpp
      ${RKX_STRINGS_RC}
    LIBRARIES rkx_config_core rkx_config_ui rkx_test_support gdi32)
  target_include_directories(config_string_tables_test PRIVATE ${RKX_SOURCE_ROOT})
endif()
