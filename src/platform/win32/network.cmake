# network
# HTTP and URLs through WinHTTP (and shlwapi to resolve a Location): the
# system's own stack in place of libcurl.
target_sources(drwa_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/http_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/url.cpp)
target_link_libraries(drwa_platform PUBLIC winhttp shlwapi)
