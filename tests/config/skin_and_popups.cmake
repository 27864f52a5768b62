# Tests of the skin code and the popup menus, in both trees.
set(skin_popups_dir ${CMAKE_CURRENT_LIST_DIR}/skin_popups)

# Pure logic: line breaking, menu geometry, keys, the source table.
rkx_gtest(skin_popup_logic_tests
  SOURCES
    ${skin_popups_dir}/label_wrap_test.cpp
    ${skin_popups_dir}/pop_menu_geometry_test.cpp
  LIBRARIES rkx_config_ui rkx_test_support
  LABEL unit)

# Images and labels drawn into memory bitmaps. The program carries the skin artwork and two
# images of its own: one stored under a lower-case name, one whose data is no image.
find_program(RKX_TOOL_convert convert)
set(skin_test_png ${CMAKE_CURRENT_BINARY_DIR}/skin_test_lower.png)
add_custom_command(OUTPUT ${skin_test_png}
  COMMAND ${RKX_TOOL_convert} -size 4x3 "xc:#3366CC" PNG32:${skin_test_png}
  COMMENT "Test image for the skin tests"
  VERBATIM)
set(skin_test_rc ${CMAKE_CURRENT_BINARY_DIR}/skin_test_images.rc)
# Names stay unquoted: windres joins a quoted name to the quoted file name on the line before.
file(CONFIGURE OUTPUT ${skin_test_rc} CONTENT
  "test_lower_case_image IMAGE \"${skin_test_png}\"\nTEST_BROKEN_IMAGE IMAGE \"${skin_popups_dir}/pixel_canvas.h\"\n")
set_source_files_properties(${skin_test_rc} PROPERTIES OBJECT_DEPENDS ${skin_test_png})
# The artwork's images, listed from its catalogue (the same rendered PNGs the utility embeds).
set(skin_art_catalogue ${RKX_SOURCE_ROOT}/config/skin/art/catalogue.txt)
file(STRINGS ${skin_art_catalogue} skin_art_entries REGEX "^[^#]")
set(skin_art_rc_text "")
set(skin_art_pngs "")
foreach(entry IN LISTS skin_art_entries)
  string(REGEX MATCH "^[^ \t]+" name "${entry}")
  string(APPEND skin_art_rc_text "${name} IMAGE \"${RKX_SKIN_ART_DIR}/${name}.png\"\n")
  list(APPEND skin_art_pngs ${RKX_SKIN_ART_DIR}/${name}.png)
endforeach()
set(skin_art_rc ${CMAKE_CURRENT_BINARY_DIR}/skin_art_images.rc)
file(CONFIGURE OUTPUT ${skin_art_rc} CONTENT "${skin_art_rc_text}")
set_source_files_properties(${skin_art_rc} PROPERTIES OBJECT_DEPENDS "${skin_art_pngs}")
rkx_gtest(skin_drawing_tests
  SOURCES
    ${skin_popups_dir}/skin_image_test.cpp
    ${skin_popups_dir}/label_bitmap_test.cpp
    ${skin_test_rc}
    ${skin_art_rc}
  LIBRARIES rkx_config_ui rkx_test_support
  LABEL unit)
add_dependencies(skin_drawing_tests rkx_skin_art)

# The menus as real windows under X, driven by SendInput (needs DISPLAY, as the rig sets it).
rkx_gtest(popup_window_tests COST 65
  SOURCES
    ${skin_popups_dir}/popup_owner_window.cpp
    ${skin_popups_dir}/popup_window_test.cpp
    ${skin_popups_dir}/wnd_test.cpp
    ${skin_art_rc}
  LIBRARIES rkx_config_ui rkx_test_support
  LABEL unit)
target_include_directories(popup_window_tests PRIVATE ${skin_popups_dir})
add_dependencies(popup_window_tests rkx_skin_art)
