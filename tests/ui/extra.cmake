# The end-to-end wizard runs once more in the 64-bit prefix, where the 32-bit installer sees the
# WOW64 registry view and folders.
add_test(NAME ui_tests_wow64 COMMAND ui_tests --gtest_color=no
         --gtest_filter=WizardAnswering.*:WizardFlow.ThreePages*:WizardFlow.Failed*:HotSyncPage.Chosen*:DeferredRegistration.RestartIsOffered*:FinishPage.Ticked*)
set_tests_properties(ui_tests_wow64 PROPERTIES TIMEOUT 900 ENVIRONMENT ORVEX_PREFIX_KIND=64)
