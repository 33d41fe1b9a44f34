# The built programs' manifests and version resources, read from the files themselves.
orvex_add_test(resources_tests resources/program_resources_test.cpp)
target_include_directories(resources_tests PRIVATE ${ORVEX_GENERATED_DIR})
target_link_libraries(resources_tests PRIVATE version)
add_dependencies(resources_tests SetupCheck)
