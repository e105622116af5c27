# Windows tests: mail
# Our readers of To and Date values, which stand in for GMime here, on the
# same tables the Linux build reads with both (there beside GMime). Built from
# their sources with the platform library only, not the whole core.
add_executable(mail_header_parser_test
  ${DRWA_ROOT}/tests/post/mail_header_parser_test.cpp
  ${DRWA_ROOT}/src/post/mail_address_parser.cpp
  ${DRWA_ROOT}/src/post/mail_date_parser.cpp
  ${DRWA_ROOT}/src/post/mail_message_portable.cpp)
target_compile_options(mail_header_parser_test PRIVATE -Wall -Wextra ${DRWA_CP932})
target_link_libraries(mail_header_parser_test PRIVATE drwa_platform GTest::gtest_main)
add_test(NAME win.mail_header_parser COMMAND mail_header_parser_test)
# The local time of a moment in a zone away from UTC.
add_test(NAME win.mail_header_parser_zone COMMAND mail_header_parser_test)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set_tests_properties(win.mail_header_parser PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300)
  set_tests_properties(win.mail_header_parser_zone PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR};TZ=Asia/Tokyo;DRWA_EXPECT_UTC_OFFSET=32400"
    TIMEOUT 300)
endif()
