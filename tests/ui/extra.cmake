# The end-to-end wizard runs once more in the 64-bit prefix, where the 32-bit installer sees the
# WOW64 registry view and folders.
add_test(NAME ui_tests_wow64 COMMAND ui_tests --gtest_color=no
         --gtest_filter=WizardAnswering.*:WizardFlow.ThreePages*:WizardFlow.Failed*:HotSyncPage.Chosen*:DeferredRegistration.RestartIsOffered*:FinishPage.Ticked*)
set_tests_properties(ui_tests_wow64 PROPERTIES TIMEOUT 900 ENVIRONMENT ORVEX_PREFIX_KIND=64)
# The layout on displays of 144 and 192 DPI, in a prefix of their own, so that no other test sees
# its DPI; the two runs take turns with it.
foreach(dpi 144 192)
  add_test(NAME ui_tests_dpi${dpi}
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/dpi-run.sh ${CMAKE_BINARY_DIR}/wine-run.sh ${dpi}
                   $<TARGET_FILE:ui_tests> --gtest_color=no --gtest_filter=DpiLayout.*)
  set_tests_properties(ui_tests_dpi${dpi} PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_dpi_prefix)
endforeach()
