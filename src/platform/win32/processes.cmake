# Child processes, the console, the shell, the user's questions and settings.
target_sources(drwa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../command_line.cpp)
