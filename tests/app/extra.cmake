# Service registration, uninstall entry and -register mode once more in the 64-bit prefix, where
# the 32-bit installer sees the WOW64 registry view and the syswow64 folder.
add_test(NAME app_tests_wow64 COMMAND app_tests --gtest_color=no
         --gtest_filter=ServiceRegistration*:RegisterMode*:UninstallEntry*:StagingPath*)
set_tests_properties(app_tests_wow64 PROPERTIES TIMEOUT 900 ENVIRONMENT ORVEX_PREFIX_KIND=64)
