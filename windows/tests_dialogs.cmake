# Windows tests: dialogs
# The settings dialogs' Win32 views, and a test host that opens them through
# the DLL's exports and drives them with window messages under Xvfb.
include(${DRWA_ROOT}/src/dialogs/win32/views.cmake)

# The driver is compiled without CP932 literals: <chrono> has one CP932 lacks.
add_library(win_dialog_driver STATIC ${DRWA_ROOT}/tests/win32/dialog_driver.cpp)
target_compile_options(win_dialog_driver PRIVATE -Wall -Wextra)
target_link_libraries(win_dialog_driver PUBLIC drwa_platform gdiplus comctl32 GTest::gtest)
find_program(DRWA_XVFB_RUN xvfb-run)

# drwa_win_dialog_test(NAME SOURCE): a dialog opened through the DLL's export
# and driven under Xvfb (a server of its own on a free display for each run),
# then once without any display (its cases named *NoScreen*). Each run's
# dialogs come and go within seconds; the time limit only stops a driver that
# lost its dialog.
function(drwa_win_dialog_test name source)
  add_executable(dialog_${name}_test ${source})
  target_link_libraries(dialog_${name}_test PRIVATE drwa_test_support drwa_core win_dialog_driver
    GTest::gtest_main)
  add_dependencies(dialog_${name}_test drwa_plugin)
  if(NOT (CMAKE_CROSSCOMPILING_EMULATOR AND DRWA_XVFB_RUN))
    return()
  endif()
  add_test(NAME win.dialog_${name}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone ${DRWA_XVFB_RUN} -a -s "-screen 0 1024x768x24"
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_${name}_test>
      --gtest_filter=-*NoScreen*)
  add_test(NAME win.dialog_${name}_no_screen
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone env -u DISPLAY -u WAYLAND_DISPLAY
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_${name}_test>
      --gtest_filter=*NoScreen*)
  # Alone: the prefix's desktop process takes the display of the program that
  # starts it, so a test without a display running beside these would get its
  # message boxes on this Xvfb (and these none); the proxy case also writes
  # the prefix's Internet settings, which other tests read.
  set_tests_properties(win.dialog_${name} win.dialog_${name}_no_screen PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 120 RUN_SERIAL TRUE)
endfunction()

drwa_win_dialog_test(account ${DRWA_ROOT}/tests/win32/dialog_account_test.cpp)
drwa_win_dialog_test(group ${DRWA_ROOT}/tests/win32/dialog_group_test.cpp)

# The plugin's parameter page on a bare dialog of the test's own (no DLL),
# driven under Xvfb like the dialogs above.
add_executable(dialog_property_page_test ${DRWA_ROOT}/tests/win32/dialog_property_page_test.cpp)
target_link_libraries(dialog_property_page_test PRIVATE drwa_test_support drwa_win32_dialogs
  drwa_core win_dialog_driver GTest::gtest_main)
if(CMAKE_CROSSCOMPILING_EMULATOR AND DRWA_XVFB_RUN)
  add_test(NAME win.dialog_property_page
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone ${DRWA_XVFB_RUN} -a -s "-screen 0 1024x768x24"
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_property_page_test>)
  set_tests_properties(win.dialog_property_page PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 120 RUN_SERIAL TRUE)
endif()
