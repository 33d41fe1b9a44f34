# Service registration, uninstall entry, -register mode, whole install runs and their removal once
# more in the 64-bit prefix, where the 32-bit installer sees the WOW64 registry view and the
# syswow64 folder (regsvr32 from there, the uninstall key under Wow6432Node).
add_test(NAME app_tests_wow64 COMMAND app_tests --gtest_color=no
         --gtest_filter=ServiceRegistration*:RegisterMode*:UninstallEntry*:StagingPath*:InstallEngine*:ReplayLogTest.*:FinishUninstallTest.*:DesktopActionsTest.ACopyThatFails*)
set_tests_properties(app_tests_wow64 PROPERTIES TIMEOUT 900 ENVIRONMENT ORVEX_PREFIX_KIND=64)
# Setup.exe must stay a Windows 95-loadable GUI program with imports from the base system only,
# and, built as the test command builds it, within its 128 KB.
set(setup_budget)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
  set(setup_budget --file-most 131072)
endif()
add_test(NAME setup_imports
         COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh ${setup_budget}
                 $<TARGET_FILE:Setup>)
# Setup.exe found beside itself under a double-byte code page (Japanese locale: 932).
add_test(NAME app_tests_cp932
         COMMAND app_tests --gtest_color=no --gtest_filter=InstallModeTest.*DoubleByte*)
set_tests_properties(app_tests_cp932 PROPERTIES
                     ENVIRONMENT "LC_ALL=ja_JP.UTF-8;LANG=ja_JP.UTF-8;ORVEX_EXPECT_ACP=932"
                     TIMEOUT 300)
