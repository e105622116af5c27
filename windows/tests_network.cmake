# Windows tests: network
# The WinHTTP client against the board server, which runs inside the test
# program here (a Windows program under Wine cannot start the Linux python3).
add_executable(win_http_client_test
  ${DRWA_ROOT}/tests/win32/http_client_test.cpp
  ${DRWA_ROOT}/tests/support/board_server.cpp
  ${DRWA_ROOT}/tests/support/loopback_board.cpp
  ${DRWA_ROOT}/src/config/ini_file.cpp)
target_include_directories(win_http_client_test PRIVATE ${DRWA_ROOT}/tests)
target_compile_options(win_http_client_test PRIVATE -Wall -Wextra ${DRWA_CP932})
target_link_libraries(win_http_client_test PRIVATE drwa_platform GTest::gtest_main ws2_32)
add_test(NAME win.http_client COMMAND win_http_client_test)
set_tests_properties(win.http_client PROPERTIES
  ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300)
