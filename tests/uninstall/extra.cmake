# The wizard's and the uninstall window's layout on displays of 144 and 192 DPI, in a prefix of
# their own, so that no other test sees its DPI; the two runs take turns with it.
foreach(dpi 144 192)
  add_test(NAME uninstall_tests_dpi${dpi}
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/dpi-run.sh ${CMAKE_BINARY_DIR}/wine-run.sh ${dpi}
                   $<TARGET_FILE:uninstall_tests> --gtest_color=no --gtest_filter=DpiLayout.*)
  set_tests_properties(uninstall_tests_dpi${dpi} PROPERTIES TIMEOUT 300
                       RESOURCE_LOCK wine_dpi_prefix)
endforeach()
