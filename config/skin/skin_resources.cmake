# The skin artwork: every image of config/skin/art/catalogue.txt rendered from its SVG at its
# exact size and pixel kind, an .rc file that embeds them as resources of type "IMAGE", and the
# application icon. Sets RKX_SKIN_RC, RKX_APP_ICON and the target rkx_skin_art.
set(RKX_SKIN_ART_SOURCE ${CMAKE_CURRENT_LIST_DIR}/art)
set(RKX_SKIN_ART_DIR ${CMAKE_BINARY_DIR}/config/skin_art CACHE INTERNAL "Rendered skin images")

foreach(tool rsvg-convert convert identify montage)
  find_program(RKX_TOOL_${tool} ${tool})
  if(NOT RKX_TOOL_${tool})
    message(FATAL_ERROR "${tool} is missing: run scripts/install-deps.sh (librsvg2-bin, imagemagick)")
  endif()
endforeach()

file(MAKE_DIRECTORY ${RKX_SKIN_ART_DIR})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${RKX_SKIN_ART_SOURCE}/catalogue.txt)
file(STRINGS ${RKX_SKIN_ART_SOURCE}/catalogue.txt rkx_skin_catalogue REGEX "^[^#]")

set(rkx_skin_pngs "")
# windres joins a file name to the next line's quoted resource name, as adjacent strings; a
# LANGUAGE statement before each image keeps them apart (language neutral: found from any UI
# language).
set(rkx_skin_rc_text "// Generated from config/skin/art/catalogue.txt: the skin images, type \"IMAGE\".\n")
foreach(entry IN LISTS rkx_skin_catalogue)
  string(REGEX REPLACE "[ \t]+" ";" fields "${entry}")
  list(LENGTH fields count)
  if(NOT count EQUAL 4)
    message(FATAL_ERROR "catalogue.txt: malformed line '${entry}'")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 width)
  list(GET fields 2 height)
  list(GET fields 3 kind)
  set(svg ${RKX_SKIN_ART_SOURCE}/${name}.svg)
  set(png ${RKX_SKIN_ART_DIR}/${name}.png)
  if(NOT EXISTS ${svg})
    message(FATAL_ERROR "catalogue.txt names ${name}, but ${svg} does not exist")
  endif()
  add_custom_command(OUTPUT ${png}
    COMMAND bash ${RKX_SKIN_ART_SOURCE}/render_image.sh ${svg} ${width} ${height} ${kind} ${png}
    DEPENDS ${svg} ${RKX_SKIN_ART_SOURCE}/render_image.sh
    COMMENT "Skin image ${name}"
    VERBATIM)
  list(APPEND rkx_skin_pngs ${png})
  string(APPEND rkx_skin_rc_text "LANGUAGE 0, 0\n\"${name}\" IMAGE \"${png}\"\n")
endforeach()

set(RKX_SKIN_RC ${RKX_SKIN_ART_DIR}/skin_images.rc)
file(CONFIGURE OUTPUT ${RKX_SKIN_RC} CONTENT "${rkx_skin_rc_text}")
# windres reads the PNGs when it compiles the .rc: a changed image must rebuild it.
set_source_files_properties(${RKX_SKIN_RC} PROPERTIES OBJECT_DEPENDS "${rkx_skin_pngs}")
set(RKX_SKIN_PNGS "${rkx_skin_pngs}" CACHE INTERNAL "Rendered skin images, for targets that embed them")

set(RKX_APP_ICON ${RKX_SKIN_ART_DIR}/app_icon.ico)
add_custom_command(OUTPUT ${RKX_APP_ICON}
  COMMAND bash ${RKX_SKIN_ART_SOURCE}/make_icon.sh ${RKX_SKIN_ART_SOURCE}/app_icon.svg ${RKX_APP_ICON}
  DEPENDS ${RKX_SKIN_ART_SOURCE}/app_icon.svg ${RKX_SKIN_ART_SOURCE}/make_icon.sh
  COMMENT "Application icon"
  VERBATIM)

# A contact sheet and page mock-ups, for a human to look at (x86_64 tree only: one is enough).
set(rkx_skin_previews "")
if(RKX_64BIT)
  set(rkx_skin_previews ${RKX_SKIN_ART_DIR}/preview/contact_sheet.png)
  add_custom_command(OUTPUT ${rkx_skin_previews}
    COMMAND bash ${RKX_SKIN_ART_SOURCE}/make_previews.sh ${RKX_SKIN_ART_DIR} ${RKX_SKIN_ART_DIR}/preview
    DEPENDS ${rkx_skin_pngs} ${RKX_SKIN_ART_SOURCE}/make_previews.sh
    COMMENT "Skin contact sheet and page previews in ${RKX_SKIN_ART_DIR}/preview"
    VERBATIM)
endif()

add_custom_target(rkx_skin_art ALL DEPENDS ${rkx_skin_pngs} ${RKX_APP_ICON} ${rkx_skin_previews})
