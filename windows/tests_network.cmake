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

# The posting tests of the Linux build, on the same board server. One test is
# left out: it checks libcurl's own words for a refused connection
# (http_client_test checks the refusal with WinHTTP's).
if(TARGET drwa_test_support)
  add_executable(win_http_post_test
    ${DRWA_ROOT}/tests/post/http_post_test.cpp
    ${DRWA_ROOT}/tests/support/board_server.cpp
    ${DRWA_ROOT}/tests/support/loopback_board.cpp)
  target_compile_options(win_http_post_test PRIVATE
    -include ${DRWA_ROOT}/tests/win32/posix_env.h)
  target_link_libraries(win_http_post_test PRIVATE
    drwa_test_support drwa_core GTest::gtest_main GTest::gmock ws2_32)
  add_test(NAME win.http_post COMMAND win_http_post_test
    --gtest_filter=-HttpPost.ARefusedConnectionCarriesTheClientsMessage)
  set_tests_properties(win.http_post PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300 ${DRWA_SHARED_BLOCK_LOCK})
endif()

add_test(NAME win.network_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-imports ${CMAKE_OBJDUMP}
    $<TARGET_FILE:win_http_client_test>)

# Sending through the DLL's SendAll export to the same board server: the HTTP
# cases of the Linux build's send tests (the queued posts need Perl, which a
# Windows program under Wine cannot start).
if(TARGET drwa_test_support)
  add_executable(win_send_http_test
    ${DRWA_ROOT}/tests/post/send_driver_test.cpp
    ${DRWA_ROOT}/tests/support/board_server.cpp
    ${DRWA_ROOT}/tests/support/loopback_board.cpp)
  target_link_libraries(win_send_http_test PRIVATE
    drwa_test_support drwa_core GTest::gtest_main GTest::gmock ws2_32)
  add_dependencies(win_send_http_test drwa_plugin)
  add_test(NAME win.send_http COMMAND win_send_http_test
    --gtest_filter=Send.EmptyOutbox*:Send.EveryMail*:Send.StopAtSending*)
  set_tests_properties(win.send_http PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300 ${DRWA_SHARED_BLOCK_LOCK})
endif()
