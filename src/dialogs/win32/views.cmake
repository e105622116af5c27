# The dialog views of the Windows DLL: windows built in code over the dialog
# behaviour of src/dialogs, with the system's common controls and choosers.
add_library(drwa_win32_dialogs STATIC
  ${CMAKE_CURRENT_LIST_DIR}/account_dialog_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_editors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_hints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/format_panel_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_dialog_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paged_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_services.cpp)
target_link_libraries(drwa_win32_dialogs PUBLIC drwa_core comctl32 comdlg32 shell32 ole32 gdi32)
