# Windows tests: processes
# The test plugins, built as .exe beside the test programs that start them.
foreach(plugin pieces exit_code silent stubborn console_library_host)
  add_executable(${plugin} ${DRWA_ROOT}/tests/win32/plugins/${plugin}.cpp)
  target_compile_options(${plugin} PRIVATE -Wall -Wextra)
endforeach()

add_executable(process_test ${DRWA_ROOT}/tests/win32/process_test.cpp
  ${DRWA_ROOT}/tests/win32/process_desktop_test.cpp)
target_compile_options(process_test PRIVATE -Wall -Wextra ${DRWA_CP932})
target_link_libraries(process_test PRIVATE drwa_platform GTest::gtest_main)
add_dependencies(process_test pieces exit_code silent stubborn)
add_test(NAME win.process_test COMMAND process_test)
# No display: a message box then answers at once instead of waiting for a user.
set_tests_properties(win.process_test PROPERTIES
  ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 300)

# The receive's runner and pool, and the console thread, over the same plugins.
add_executable(process_receive_test ${DRWA_ROOT}/tests/win32/process_receive_test.cpp
  ${DRWA_ROOT}/tests/receive/console_thread_test.cpp)
target_compile_options(process_receive_test PRIVATE -Wall -Wextra ${DRWA_CP932})
target_link_libraries(process_receive_test PRIVATE drwa_core GTest::gtest_main)
add_library(process_console_library SHARED ${DRWA_ROOT}/tests/win32/process_console_library.cpp)
set_target_properties(process_console_library PROPERTIES PREFIX "")
target_compile_options(process_console_library PRIVATE -Wall -Wextra)
target_link_libraries(process_console_library PRIVATE drwa_core)
add_dependencies(process_receive_test pieces stubborn console_library_host process_console_library)
add_test(NAME win.process_receive_test COMMAND process_receive_test)
set_tests_properties(win.process_receive_test PROPERTIES
  ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 300 ${DRWA_SHARED_BLOCK_LOCK})

# Built like the plugin DLL and the plugins: nothing but Windows' own DLLs.
add_test(NAME win.process_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-imports ${CMAKE_OBJDUMP}
    $<TARGET_FILE:process_test> $<TARGET_FILE:stubborn> $<TARGET_FILE:process_console_library>)

# The plugin DLL freed by its host after a receive: unloaded at once, its
# shared-memory block with it. A windowed program, as a mail client is, so
# that the DLL makes a console of its own. Wine's console leaves a desktop
# process behind that holds the test's output open until the server ends:
# run alone, the server ended after it.
add_executable(plugin_unload_test WIN32 ${DRWA_ROOT}/tests/win32/plugin_unload_test.cpp)
target_link_libraries(plugin_unload_test PRIVATE drwa_test_support GTest::gtest_main)
add_dependencies(plugin_unload_test drwa_plugin nothing)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME win.plugin_unload
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone ${CMAKE_CROSSCOMPILING_EMULATOR}
      $<TARGET_FILE:plugin_unload_test>)
  set_tests_properties(win.plugin_unload PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR};DISPLAY=" TIMEOUT 120 RUN_SERIAL TRUE)
endif()
