# Generated inputs from a fixed seed for the script reader, the checker of product folders (scripts
# in every encoding, with files around them), the log reader and path expansion, in one process;
# a failing input is printed as a C string literal.
file(GLOB robustness_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
orvex_add_test(robustness_tests ${robustness_sources})
target_link_libraries(robustness_tests PRIVATE orvex_uninstall orvex_check orvex_test_wizard)
set_tests_properties(robustness_tests PROPERTIES TIMEOUT 300)
# The readers and the checker again under a double-byte code page, where lead bytes at a field's
# end mean something and UTF-16 text becomes double-byte text.
add_test(NAME robustness_tests_cp932
         COMMAND robustness_tests --gtest_color=no --gtest_filter=*Script*:*Log*)
set_tests_properties(robustness_tests_cp932 PROPERTIES
                     ENVIRONMENT "LC_ALL=ja_JP.UTF-8;LANG=ja_JP.UTF-8;ORVEX_EXPECT_ACP=932"
                     TIMEOUT 300)
