# Every script answers --help and a wrong argument with its usage, touching nothing.
add_test(NAME script_usage COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/usage_test.sh)
set_tests_properties(script_usage PROPERTIES TIMEOUT 600)
