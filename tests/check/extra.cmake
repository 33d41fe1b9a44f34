# SetupCheck.exe is started by the scripts the tests run.
add_dependencies(orvex_test_programs SetupCheck)
# SetupCheck.exe must stay a Windows 95-loadable console program with imports from the base
# system only.
add_test(NAME setupcheck_imports
         COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh --console
                 $<TARGET_FILE:SetupCheck>)
# The sample product, assembled as the run command assembles it, checks clean (exit code 0).
add_test(NAME sample_check
         COMMAND bash -c "\"$0\"/scripts/sample-product.sh \"$1\" \"$2\" && \"$0\"/scripts/check-product.sh \"$1\""
                 ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/sample-check/acme-reader ${CMAKE_BINARY_DIR})
set_tests_properties(sample_check PROPERTIES
                     ENVIRONMENT "ORVEX_BUILD_DIR=${CMAKE_BINARY_DIR};ORVEX_NO_BUILD=1" TIMEOUT 300)
