# Target helpers shared by every folder.

# Warnings and language level for one of our own targets.
function(rkx_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>
    $<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<BOOL:${RKX_WERROR}>>:-Werror>
    # GCC 12 reports a false -Wrestrict inside libstdc++ for "text" + std::string at -O2.
    $<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
  target_compile_definitions(${target} PRIVATE _WIN32_WINNT=0x0601 WINVER=0x0601)
endfunction()

# A user-mode program or library that must run without any mingw runtime DLL beside it.
function(rkx_windows_binary target)
  rkx_warnings(${target})
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  if(NOT RKX_64BIT)
    # A .def file names __stdcall exports plainly; let the linker match them to Name@N.
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endfunction()

# Version block. Numbers in dotted form: FILE_VERSION "1.100.0.0", PRODUCT_VERSION "1.110".
# FILE_TYPE: VFT_APP, VFT_DLL or VFT_DRV.
function(rkx_version_resource target)
  cmake_parse_arguments(V "" "DESCRIPTION;FILE_VERSION;PRODUCT_VERSION;FILE_TYPE;ORIGINAL_FILENAME" "" ${ARGN})
  if(NOT V_PRODUCT_VERSION)
    set(V_PRODUCT_VERSION ${RKX_PRODUCT_VERSION})
  endif()
  if(NOT V_FILE_VERSION)
    set(V_FILE_VERSION ${RKX_PRODUCT_VERSION}.0.0)
  endif()
  if(NOT V_FILE_TYPE)
    set(V_FILE_TYPE VFT_APP)
  endif()
  set(RKX_FILE_SUBTYPE 0)
  if(V_FILE_TYPE STREQUAL "VFT_DRV")
    set(RKX_FILE_SUBTYPE VFT2_DRV_SOUND)
  endif()
  if(NOT V_ORIGINAL_FILENAME)
    get_target_property(kind ${target} TYPE)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
      set(name ${target})
    endif()
    if(kind STREQUAL "EXECUTABLE")
      set(V_ORIGINAL_FILENAME ${name}.exe)
    else()
      set(V_ORIGINAL_FILENAME ${name}.dll)
    endif()
  endif()
  # "1.100.0.0" -> "1,100,0,0"; shorter forms are padded with zeros.
  foreach(which FILE PRODUCT)
    string(REPLACE "." ";" parts "${V_${which}_VERSION}")
    list(LENGTH parts count)
    while(count LESS 4)
      list(APPEND parts 0)
      math(EXPR count "${count} + 1")
    endwhile()
    set(numbers "")
    foreach(part IN LISTS parts)
      math(EXPR part "${part} + 0")
      list(APPEND numbers ${part})
    endforeach()
    string(REPLACE ";" "," RKX_${which}_VERSION_COMMAS "${numbers}")
  endforeach()
  set(RKX_VERSION_TARGET ${target})
  set(RKX_FILE_DESCRIPTION ${V_DESCRIPTION})
  set(RKX_FILE_VERSION ${V_FILE_VERSION})
  set(RKX_PRODUCT_VERSION ${V_PRODUCT_VERSION})
  set(RKX_FILE_TYPE ${V_FILE_TYPE})
  set(RKX_ORIGINAL_FILENAME ${V_ORIGINAL_FILENAME})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${RKX_SOURCE_ROOT}/cmake/version.rc.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()

# GoogleTest program run under Wine; each test case becomes one ctest test.
# LABEL: "unit" (pure logic) or "rig" (needs the virtual mixer loaded). One label only: the
# discovery's PROPERTIES would flatten a list.
function(rkx_gtest target)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  rkx_windows_binary(${target})
  target_link_libraries(${target} PRIVATE ${T_LIBRARIES} GTest::gtest_main)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABEL}" TIMEOUT 300)
endfunction()

# Static check of a built binary (machine type, version block, no runtime DLLs, exports).
#   rkx_pe_check(NAME name FILE path [EXPORTS a b c] [EXACT_EXPORTS] [SUBSYSTEM native|windows|console]
#                [SHIPPED])
# SHIPPED: a program of the package, which must not read the environment.
function(rkx_pe_check)
  cmake_parse_arguments(P "EXACT_EXPORTS;SHIPPED" "NAME;FILE;SUBSYSTEM" "EXPORTS" ${ARGN})
  set(args ${P_FILE} ${RKX_PE_MACHINE})
  if(P_EXPORTS)
    string(REPLACE ";" " " names "${P_EXPORTS}")
    list(APPEND args --exports "${names}")
  endif()
  if(P_EXACT_EXPORTS)
    list(APPEND args --exact-exports)
  endif()
  if(P_SUBSYSTEM)
    list(APPEND args --subsystem ${P_SUBSYSTEM})
  endif()
  if(P_SHIPPED)
    list(APPEND args --no-environment)
  endif()
  add_test(NAME pe.${RKX_ARCH}.${P_NAME} COMMAND bash ${RKX_SOURCE_ROOT}/tests/static/check_pe.sh ${args})
  set_tests_properties(pe.${RKX_ARCH}.${P_NAME} PROPERTIES LABELS static)
endfunction()
