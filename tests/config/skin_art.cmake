# The skin artwork: the rendered images against the layout's expectations (a shell check, no
# Wine needed), and the images found as resources by a real program under Wine.
if(RKX_64BIT AND TARGET rkx_skin_art)
  add_test(NAME config.skin_art.images
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/skin_art/check_images.sh ${RKX_SKIN_ART_DIR} ${RKX_SKIN_ART_DIR}/skin_images.rc)
  set_tests_properties(config.skin_art.images PROPERTIES LABELS static TIMEOUT 300)

  # Names and sizes for the resource test, from the catalogue the build renders.
  file(STRINGS ${RKX_SOURCE_ROOT}/config/skin/art/catalogue.txt skin_art_catalogue REGEX "^[^#]")
  set(skin_art_entries "")
  foreach(entry IN LISTS skin_art_catalogue)
    string(REGEX REPLACE "^([^ \t]+)[ \t]+([0-9]+)[ \t]+([0-9]+).*" "{L\"\\1\", \\2, \\3}," line "${entry}")
    string(APPEND skin_art_entries "${line}\n")
  endforeach()
  set(skin_art_generated ${CMAKE_CURRENT_BINARY_DIR}/skin_art)
  file(CONFIGURE OUTPUT ${skin_art_generated}/skin_catalogue.inc CONTENT "${skin_art_entries}")

  rkx_gtest(config_skin_resources_test LABEL unit
    SOURCES
      ${CMAKE_CURRENT_SOURCE_DIR}/skin_art/skin_resources_test.cpp
      ${RKX_SKIN_ART_DIR}/skin_images.rc)
  target_include_directories(config_skin_resources_test PRIVATE ${skin_art_generated})
  add_dependencies(config_skin_resources_test rkx_skin_art)
  set_source_files_properties(${RKX_SKIN_ART_DIR}/skin_images.rc PROPERTIES OBJECT_DEPENDS "${RKX_SKIN_PNGS}")
endif()
