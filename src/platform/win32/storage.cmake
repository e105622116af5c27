# storage
# Files and folders, staged files, the trash, shared memory, the clock and
# the module, the charset edge, the account lock and MD5.
target_sources(drwa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/wide_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/staged_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_move.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/account_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/digest.cpp)
target_link_libraries(drwa_platform PUBLIC ole32 shell32 advapi32)
