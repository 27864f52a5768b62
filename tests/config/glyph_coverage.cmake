# No text of the settings utility shows as missing-glyph boxes: every string table's texts
# checked in every UI language against the fonts the main window draws them with.
if(NOT RKX_64BIT)
  return()
endif()
if(NOT RKX_STRINGS_RC)
  include(${RKX_SOURCE_ROOT}/config/strings/strings.cmake)
endif()
set(glyph_tests_dir ${CMAKE_CURRENT_SOURCE_DIR}/glyph_coverage)
rkx_gtest(config_glyph_coverage_test LABEL unit
  SOURCES
    ${glyph_tests_dir}/glyph_check.cpp
    ${glyph_tests_dir}/utility_fonts.cpp
    ${glyph_tests_dir}/glyph_coverage_test.cpp
    ${RKX_STRINGS_RC}
  LIBRARIES rkx_config_core rkx_config_ui rkx_test_support gdi32)
