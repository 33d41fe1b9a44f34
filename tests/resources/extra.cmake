# The built programs' manifests, version resources and signature, read from the files themselves.
orvex_add_test(resources_tests resources/program_resources_test.cpp)
target_include_directories(resources_tests PRIVATE ${ORVEX_GENERATED_DIR})
target_link_libraries(resources_tests PRIVATE version orvex_test_wizard)
add_dependencies(resources_tests SetupCheck)
# A product whose Setup.exe is signed with a throw-away certificate still installs and
# uninstalls, and try-product names the signer.
add_test(NAME signed_product
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/resources/signed_product_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(signed_product PROPERTIES
  ENVIRONMENT "ORVEX_BUILD_DIR=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 900)
