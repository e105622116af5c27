# Windows tests: host
# drwa-host.exe, the stand-in host, loads drwa_plugin.dll beside it through
# its exports, by name or by ordinal. The commands that need GMime, a Maildir
# or the dialogs (deliver, sendmail, edit-*) stay in the Linux build for now.
add_executable(drwa-host
  ${DRWA_ROOT}/host/check_command.cpp
  ${DRWA_ROOT}/host/delete_command.cpp
  ${DRWA_ROOT}/host/enable_command.cpp
  ${DRWA_ROOT}/host/exports_command.cpp
  ${DRWA_ROOT}/host/groups_command.cpp
  ${DRWA_ROOT}/host/host_system_win32.cpp
  ${DRWA_ROOT}/host/info_command.cpp
  ${DRWA_ROOT}/host/lock_account.cpp
  ${DRWA_ROOT}/host/main.cpp
  ${DRWA_ROOT}/host/menu_command.cpp
  ${DRWA_ROOT}/host/plugin_library.cpp
  ${DRWA_ROOT}/host/plugin_library_win32.cpp
  ${DRWA_ROOT}/host/progress_display.cpp
  ${DRWA_ROOT}/host/receive_command.cpp
  ${DRWA_ROOT}/host/send_command.cpp
  ${DRWA_ROOT}/host/terminal_text_win32.cpp
  # The account lock, as in the Linux host: one self-contained source.
  ${DRWA_ROOT}/src/platform/win32/account_lock.cpp)
target_include_directories(drwa-host PRIVATE ${DRWA_ROOT}/include ${DRWA_ROOT}/src)
target_compile_definitions(drwa-host PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
  _WIN32_WINNT=0x0601)
target_compile_options(drwa-host PRIVATE -Wall -Wextra)
# CommandLineToArgvW.
target_link_libraries(drwa-host PRIVATE shell32)
add_dependencies(drwa-host drwa_plugin)

# The host's conversions, as the host compiles them.
add_executable(host_text_test ${DRWA_ROOT}/tests/win32/host_text_test.cpp
  ${DRWA_ROOT}/host/terminal_text_win32.cpp)
target_include_directories(host_text_test PRIVATE ${DRWA_ROOT}/host)
target_compile_definitions(host_text_test PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(host_text_test PRIVATE -Wall -Wextra)
target_link_libraries(host_text_test PRIVATE GTest::gtest_main)
add_test(NAME win.host_text_test COMMAND host_text_test)

# A user installs the host as one file too.
add_test(NAME win.host_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-imports ${CMAKE_OBJDUMP} $<TARGET_FILE:drwa-host>)

# drwa-host.exe driving the DLL under Wine, with Windows paths (Z: is the
# Linux root) in folders with Japanese names.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME win.host_info
    COMMAND sh ${DRWA_ROOT}/tests/win32/host_info.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
      $<TARGET_FILE:drwa-host> ${DRWA_ROOT}/examples/account/account.ini)
  add_test(NAME win.host_groups
    COMMAND sh ${DRWA_ROOT}/tests/win32/host_groups.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
      $<TARGET_FILE:drwa-host> ${DRWA_ROOT}/examples/account)
  add_test(NAME win.host_receive_send
    COMMAND sh ${DRWA_ROOT}/tests/win32/host_receive_send.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
      $<TARGET_FILE:drwa-host> ${DRWA_ROOT}/examples/account)
  set_tests_properties(win.host_text_test win.host_info win.host_groups win.host_receive_send
    PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300)
  set_tests_properties(win.host_info win.host_groups win.host_receive_send PROPERTIES
    ${DRWA_SHARED_BLOCK_LOCK})
endif()
