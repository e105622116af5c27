# Child processes, the console, the shell, the user's questions and settings.
target_sources(drwa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_handler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keyboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/question.cpp
  ${CMAKE_CURRENT_LIST_DIR}/proxy_source.cpp)
# Windows' own DLLs only: the shell for "open", the user interface for the
# message boxes and the key state, the registry.
target_link_libraries(drwa_platform PUBLIC shell32 user32 advapi32)
