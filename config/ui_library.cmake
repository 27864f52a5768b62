# rkx_config_ui: the settings utility's window base class, skin drawing and popup menus.
# Included by config/CMakeLists.txt (and by the tests when the utility itself is not built).
if(TARGET rkx_config_ui)
  return()
endif()
set(rkx_config_ui_dir ${RKX_SOURCE_ROOT}/config)
add_library(rkx_config_ui STATIC
  ${rkx_config_ui_dir}/framework/wnd.cpp
  ${rkx_config_ui_dir}/skin/gdiplus_owners.h
  ${rkx_config_ui_dir}/skin/gdi_owners.h
  ${rkx_config_ui_dir}/skin/skin_graphics.cpp
  ${rkx_config_ui_dir}/skin/skin_image_load.cpp
  ${rkx_config_ui_dir}/skin/skin_image_draw.cpp
  ${rkx_config_ui_dir}/skin/centered_text.cpp
  ${rkx_config_ui_dir}/skin/install_language.cpp
  ${rkx_config_ui_dir}/skin/resource_lookup.cpp
  ${rkx_config_ui_dir}/skin/label_bitmap.cpp
  ${rkx_config_ui_dir}/skin/label_render.cpp
  ${rkx_config_ui_dir}/skin/label_wrap.cpp
  ${rkx_config_ui_dir}/skin/wrapped_label_layout.cpp
  ${rkx_config_ui_dir}/popup/source_highlight_table.cpp
  ${rkx_config_ui_dir}/popup/pop_menu_geometry.cpp
  ${rkx_config_ui_dir}/popup/pop_menu.cpp
  ${rkx_config_ui_dir}/popup/in_pop_menu.cpp
  ${rkx_config_ui_dir}/popup/out_pop_menu.cpp)
rkx_warnings(rkx_config_ui)
target_include_directories(rkx_config_ui PUBLIC ${rkx_config_ui_dir} ${RKX_SOURCE_ROOT})
target_link_libraries(rkx_config_ui PUBLIC gdiplus gdi32 user32 ole32 advapi32)
