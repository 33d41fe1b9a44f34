# The starter imports from the four libraries every 32-bit Windows has and from no other (nothing
# is loaded from the folder a download lies in), and its code and data stay within 24 KB, the
# icon and the manifest apart.
add_test(NAME starter_imports
         COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh
                 --libraries "KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL" --most 24576
                 $<TARGET_FILE:PackageStarter>)
# The starter's own formatting, held against the C runtime's.
target_sources(package_tests PRIVATE ${PROJECT_SOURCE_DIR}/src/starter/starter_format.cpp)
