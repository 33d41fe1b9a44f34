# The end-to-end tests take the sample product from the source tree.
target_compile_definitions(e2e_tests PRIVATE ORVEX_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples")
# The same in the 64-bit prefix, where the 32-bit installer runs under WOW64: Program Files
# (x86), syswow64 behind the system folder, the 32-bit registry view for its uninstall entry.
add_test(NAME e2e_tests_win64 COMMAND e2e_tests --gtest_color=no)
set_tests_properties(e2e_tests_win64 PROPERTIES ENVIRONMENT ORVEX_PREFIX_KIND=64 TIMEOUT 900)
# The README's run command itself (try-product on the sample, 64-bit prefix), walked headless: it
# keeps its own prefix, X server and wineserver, so it must leave the test session's alone.
add_test(NAME sample_run COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/run-sample.sh)
set_tests_properties(sample_run PROPERTIES
  ENVIRONMENT "ORVEX_BUILD_DIR=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 900)
# try-product on the sample in a 32-bit prefix (report complete), on a product whose uninstall
# leaves a registration behind (non-zero, the leftover named), and on the sample unattended; the
# vendor guide's HotSync recipe with a package.
foreach(case sample leftover silent recipe)
  add_test(NAME try_product_${case}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/try_product_test.sh ${CMAKE_BINARY_DIR} ${case})
  set_tests_properties(try_product_${case} PROPERTIES
    ENVIRONMENT "ORVEX_BUILD_DIR=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 900)
endforeach()
# The language tests on a German Windows: Wine takes the user's language and the ANSI code page
# from the locale, made here when the system has none of that name.
set(ORVEX_LOCALES ${CMAKE_BINARY_DIR}/locales)
foreach(locale de_DE ja_JP)
  if(NOT EXISTS ${ORVEX_LOCALES}/${locale}.UTF-8)
    file(MAKE_DIRECTORY ${ORVEX_LOCALES})
    execute_process(COMMAND localedef -i ${locale} -f UTF-8 ${ORVEX_LOCALES}/${locale}.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
endforeach()
add_test(NAME e2e_tests_german COMMAND e2e_tests --gtest_color=no --gtest_filter=GermanWindows.*)
set_tests_properties(e2e_tests_german PROPERTIES TIMEOUT 900 ENVIRONMENT
  "LC_ALL=de_DE.UTF-8;LOCPATH=${ORVEX_LOCALES};ORVEX_EXPECT_GERMAN=1")
add_test(NAME e2e_tests_japanese COMMAND e2e_tests --gtest_color=no --gtest_filter=JapaneseWindows.*)
set_tests_properties(e2e_tests_japanese PROPERTIES TIMEOUT 900 ENVIRONMENT
  "LC_ALL=ja_JP.UTF-8;LOCPATH=${ORVEX_LOCALES};ORVEX_EXPECT_JAPANESE=1")
