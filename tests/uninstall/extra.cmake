# The wizard's and the uninstall window's layout on displays of 144 and 192 DPI, in a prefix of
# their own, so that no other test sees its DPI; the two runs take turns with it.
foreach(dpi 144 192)
  add_test(NAME uninstall_tests_dpi${dpi}
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/dpi-run.sh ${CMAKE_BINARY_DIR}/wine-run.sh ${dpi}
                   $<TARGET_FILE:uninstall_tests> --gtest_color=no --gtest_filter=DpiLayout.*)
  set_tests_properties(uninstall_tests_dpi${dpi} PROPERTIES TIMEOUT 300
                       RESOURCE_LOCK wine_dpi_prefix)
endforeach()
# Every shipped language of code page 1250, 1251 and 1252 in its controls at 96 DPI, on a Windows
# of that code page: Wine takes it from the locale, made here when the system has none.
target_compile_definitions(uninstall_tests PRIVATE ORVEX_LANGUAGES_DIR="${PROJECT_SOURCE_DIR}/languages")
set(ORVEX_LOCALES ${CMAKE_BINARY_DIR}/locales)
foreach(case pl_PL:1250 ru_RU:1251 de_DE:1252)
  string(REPLACE ":" ";" case ${case})
  list(GET case 0 locale)
  list(GET case 1 code_page)
  if(NOT EXISTS ${ORVEX_LOCALES}/${locale}.UTF-8)
    file(MAKE_DIRECTORY ${ORVEX_LOCALES})
    execute_process(COMMAND localedef -i ${locale} -f UTF-8 ${ORVEX_LOCALES}/${locale}.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
  add_test(NAME uninstall_tests_cp${code_page}
           COMMAND uninstall_tests --gtest_color=no --gtest_filter=LanguageLayout.*)
  set_tests_properties(uninstall_tests_cp${code_page} PROPERTIES TIMEOUT 300 ENVIRONMENT
    "LC_ALL=${locale}.UTF-8;LOCPATH=${ORVEX_LOCALES};ORVEX_EXPECT_CODE_PAGE=${code_page}")
endforeach()
