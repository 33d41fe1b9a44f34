# Path macros and regsvr32 again in the 64-bit prefix, where a 32-bit installer sees WOW64
# (Program Files (x86), syswow64, the 32-bit registry view).
add_test(NAME system_tests_64 COMMAND system_tests --gtest_color=no
         --gtest_filter=PathMacros*:MacroExpansion*:RegSvr32*)
set_tests_properties(system_tests_64 PROPERTIES TIMEOUT 900 ENVIRONMENT ORVEX_PREFIX_KIND=64)
# The language files the project ships, at the root of the repository.
target_compile_definitions(system_tests PRIVATE ORVEX_LANGUAGES_DIR="${PROJECT_SOURCE_DIR}/languages")
