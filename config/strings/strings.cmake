# The settings utility's string tables, one UTF-8 .rc per UI language, gathered by strings.rc.
# Sets RKX_STRINGS_RC: the .rc to add to a target's sources (the utility, the table tests).
# Every table file declares "#pragma code_page(65001)", so windres reads it as UTF-8 and
# stores the texts as UTF-16 unchanged whatever the build machine's locale.
set(RKX_STRINGS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(RKX_STRINGS_RC ${RKX_STRINGS_DIR}/strings.rc)
set(RKX_STRINGS_LANGUAGES 1028 1031 1033 1036 1040 1041 1042 1043 1049 2052 2070 3082)
set(rkx_strings_tables)
foreach(rkx_strings_langid IN LISTS RKX_STRINGS_LANGUAGES)
  list(APPEND rkx_strings_tables ${RKX_STRINGS_DIR}/strings_${rkx_strings_langid}.rc)
endforeach()
# strings.rc only includes the tables: rebuild it when any of them changes.
set_source_files_properties(${RKX_STRINGS_RC} PROPERTIES OBJECT_DEPENDS "${rkx_strings_tables}")
unset(rkx_strings_tables)
unset(rkx_strings_langid)
