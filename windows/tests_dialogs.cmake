# Windows tests: dialogs
# The settings dialogs' Win32 views, and a test host that opens them through
# the DLL's exports and drives them with window messages under Xvfb.
include(${DRWA_ROOT}/src/dialogs/win32/views.cmake)

# The account dialog through EditAccount, driven under Xvfb (a server of its
# own on a free display for each run), and once without any display. Each
# run's dialog comes and goes within seconds; the time limit only stops a
# driver that lost its dialog.
# The driver is compiled without CP932 literals: <chrono> has one CP932 lacks.
add_library(win_dialog_driver STATIC ${DRWA_ROOT}/tests/win32/dialog_driver.cpp)
target_compile_options(win_dialog_driver PRIVATE -Wall -Wextra)
target_link_libraries(win_dialog_driver PUBLIC drwa_platform gdiplus comctl32)
add_executable(dialog_account_test ${DRWA_ROOT}/tests/win32/dialog_account_test.cpp)
target_link_libraries(dialog_account_test PRIVATE drwa_test_support drwa_core win_dialog_driver
  GTest::gtest_main)
add_dependencies(dialog_account_test drwa_plugin)
find_program(DRWA_XVFB_RUN xvfb-run)
if(CMAKE_CROSSCOMPILING_EMULATOR AND DRWA_XVFB_RUN)
  add_test(NAME win.dialog_account
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone ${DRWA_XVFB_RUN} -a -s "-screen 0 1024x768x24"
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_account_test>
      --gtest_filter=-*NoScreen*)
  add_test(NAME win.dialog_account_no_screen
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/wine-alone env -u DISPLAY -u WAYLAND_DISPLAY
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_account_test>
      --gtest_filter=*NoScreen*)
  # Alone: the prefix's desktop process takes the display of the program that
  # starts it, so a test without a display running beside these would get its
  # message boxes on this Xvfb (and these none); the proxy case also writes
  # the prefix's Internet settings, which other tests read.
  set_tests_properties(win.dialog_account win.dialog_account_no_screen PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 120 RUN_SERIAL TRUE)
endif()

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
