# Windows tests: packages
# The installer made from this build (scripts/windows-package), run silently
# in a fresh Wine prefix for all users and for the user alone, then
# uninstalled. A script of its own: it runs Wine itself.
add_test(NAME win.installer
  COMMAND ${DRWA_ROOT}/tests/win32/installer_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(win.installer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
  DEPENDS "win.plugin_exports_table")
