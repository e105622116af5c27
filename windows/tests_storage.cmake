# Windows tests: storage
# Files, folders, the trash, shared memory and the other system services of
# src/platform/win32, run under Wine with Japanese names.
add_executable(storage_test
  ${DRWA_ROOT}/tests/win32/storage_fixture.cpp
  ${DRWA_ROOT}/tests/win32/storage_files_test.cpp
  ${DRWA_ROOT}/tests/win32/storage_services_test.cpp)
target_compile_options(storage_test PRIVATE -Wall -Wextra ${DRWA_CP932})
target_link_libraries(storage_test PRIVATE drwa_platform GTest::gtest_main)
# The platform layer inside a DLL, loaded by the test as a host loads the plugin.
add_library(storage_module_probe SHARED ${DRWA_ROOT}/tests/win32/storage_module_probe.cpp)
set_target_properties(storage_module_probe PROPERTIES PREFIX "")
target_compile_options(storage_module_probe PRIVATE -Wall -Wextra)
target_link_libraries(storage_module_probe PRIVATE drwa_platform)
add_dependencies(storage_test storage_module_probe)
add_test(NAME win.storage COMMAND storage_test)
# The zone's offset as Wine takes it from TZ (Tokyo has no summer time).
add_test(NAME win.storage_zone COMMAND storage_test --gtest_filter=WinSystem.LocalTime*)
add_test(NAME win.storage_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-imports ${CMAKE_OBJDUMP} $<TARGET_FILE:storage_test>
    $<TARGET_FILE:storage_module_probe>)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set_tests_properties(win.storage PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300)
  set_tests_properties(win.storage_zone PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR};TZ=Asia/Tokyo;DRWA_EXPECT_UTC_OFFSET=32400"
    TIMEOUT 300)
endif()
