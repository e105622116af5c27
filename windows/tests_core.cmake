# The library's own tests that need no POSIX and no Perl, built for Windows
# from the Linux build's sources and run under Wine: one ctest entry per
# program. Paths of the source tree are seen through Wine's drive Z:.
set(DRWA_WINE_ROOT "Z:${DRWA_ROOT}")

add_library(drwa_test_support STATIC
  ${DRWA_ROOT}/tests/support/temp_folder.cpp
  ${DRWA_ROOT}/tests/support/plugin_loader.cpp
  ${DRWA_ROOT}/tests/support/progress_recorder.cpp
  ${DRWA_ROOT}/tests/support/test_account.cpp)
target_include_directories(drwa_test_support PUBLIC ${DRWA_ROOT}/tests)
target_link_libraries(drwa_test_support PUBLIC drwa_core GTest::gtest)
target_compile_definitions(drwa_test_support PUBLIC
  DRWA_PLUGIN_PATH="Z:$<TARGET_FILE:drwa_plugin>"
  DRWA_SOURCE_DIR="${DRWA_WINE_ROOT}"
  DRWA_TEST_DATA="${DRWA_WINE_ROOT}/tests/data"
  DRWA_TEST_PLUGINS="${DRWA_WINE_ROOT}/tests/plugins")

# drwa_win_test(NAME SOURCES...): a test program of tests/, run under Wine.
function(drwa_win_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE drwa_test_support drwa_core GTest::gtest_main GTest::gmock)
  add_test(NAME win.${name} COMMAND ${name})
  set_tests_properties(win.${name} PROPERTIES
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}" TIMEOUT 300 ${DRWA_SHARED_BLOCK_LOCK})
endfunction()

set(T ${DRWA_ROOT}/tests)
drwa_win_test(config_test
  ${T}/config/ini_file_test.cpp
  ${T}/config/folders_test.cpp
  ${T}/config/file_search_test.cpp
  ${T}/config/shared_records_test.cpp)
drwa_win_test(config_groups_test
  ${T}/config/group_check_test.cpp
  ${T}/config/group_delete_test.cpp
  ${T}/config/group_list_test.cpp
  ${T}/config/group_names_test.cpp
  ${T}/config/group_registry_test.cpp)
drwa_win_test(convert_test
  ${T}/convert/account_fixture.cpp
  ${T}/convert/article_reader_test.cpp
  ${T}/convert/mail_composer_test.cpp
  ${T}/convert/mail_formats_test.cpp
  ${T}/convert/number_list_test.cpp
  ${T}/convert/article_converter_test.cpp
  ${T}/convert/article_fixtures_test.cpp)
drwa_win_test(send_unit_test
  ${T}/post/outgoing_mail_reader_test.cpp
  ${T}/post/post_request_writer_test.cpp
  ${T}/post/parameter_template_test.cpp)
drwa_win_test(dialogs_test
  ${T}/dialogs/property_items_test.cpp
  ${T}/dialogs/format_panels_test.cpp)
drwa_win_test(receive_unit_test
  ${T}/receive/command_line_test.cpp
  ${T}/receive/post_request_pruner_test.cpp)
drwa_win_test(plugin_exports_test
  ${T}/plugin/exports_test.cpp
  ${T}/plugin/group_exports_test.cpp)
add_dependencies(plugin_exports_test drwa_plugin)

# The DLL as a host sees it: its export table and the DLLs it needs.
add_test(NAME win.plugin_exports_table
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-exports ${CMAKE_OBJDUMP} $<TARGET_FILE:drwa_plugin>)
add_test(NAME win.plugin_imports
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-imports ${CMAKE_OBJDUMP} $<TARGET_FILE:drwa_plugin>)

# The whole DLL against the Linux build (make test builds it first in build/):
# the same mails from the same article files, the same post of one reply. The
# interpreter is named by its path: ctest would run a target under Wine.
set(DRWA_LINUX_HOST ${DRWA_ROOT}/build/bin/drwa-host CACHE FILEPATH
  "drwa-host of the Linux build, compared with the DLL")
add_executable(nothing ${DRWA_ROOT}/tests/win32/plugins/nothing.cpp)
if(CMAKE_CROSSCOMPILING_EMULATOR)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME win.dll_same_mails
    COMMAND ${Python3_EXECUTABLE} ${DRWA_ROOT}/tests/win32/dll_same_mails.py ${DRWA_LINUX_HOST}
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:drwa-host> $<TARGET_FILE:nothing>
      ${DRWA_ROOT})
  set_tests_properties(win.dll_same_mails PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 ${DRWA_SHARED_BLOCK_LOCK}
    ENVIRONMENT "DRWA_WINE_BUILD=${CMAKE_BINARY_DIR}")
endif()
