# The replay again in the 64-bit prefix, where a 32-bit uninstaller sees WOW64: regsvr32 from
# syswow64 and the uninstall key under Wow6432Node.
add_test(NAME uninstall_tests_win64
         COMMAND uninstall_tests --gtest_color=no
                 --gtest_filter=ReplayLogTest.*:FinishUninstallTest.*)
set_tests_properties(uninstall_tests_win64 PROPERTIES ENVIRONMENT ORVEX_PREFIX_KIND=64
                     TIMEOUT 900)
