# The double-byte cases again under a Japanese locale, where Wine's ANSI code page is 932.
add_test(NAME script_tests_cp932
         COMMAND script_tests --gtest_color=no --gtest_filter=DoubleByte*:ItemParser*)
set_tests_properties(script_tests_cp932 PROPERTIES
                     ENVIRONMENT "LC_ALL=ja_JP.UTF-8;LANG=ja_JP.UTF-8;ORVEX_EXPECT_ACP=932"
                     TIMEOUT 300)
