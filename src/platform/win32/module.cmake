# The DLL's entry point: why it is being unloaded.
target_sources(drwa_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/process_end.cpp)
