# `make install` (cmake --install): the programs with the library beside them,
# where the host loads it from; the sample plugins under share/drwa/plugins,
# where new-account looks for them; the manual pages and bash completion.
include(GNUInstallDirs)

# The library is a plugin for hosts, not a library to link: it lives in a
# folder of its own under the architecture's library folder, where the
# installed drwa-host looks for it (DRWA_LIBRARY_SUBDIR, relative to the
# program's folder's parent).
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(DRWA_INSTALL_LIBRARY_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/drwa)
else()
  set(DRWA_INSTALL_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR}/drwa)
endif()
target_compile_definitions(drwa-host PRIVATE DRWA_LIBRARY_SUBDIR="${DRWA_INSTALL_LIBRARY_DIR}")

install(TARGETS drwa-host drwa-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The Qt views' module beside it: the library opens it from its own folder.
install(TARGETS drwa_plugin drwa_plugin_qt LIBRARY DESTINATION ${DRWA_INSTALL_LIBRARY_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/plugins/ DESTINATION ${CMAKE_INSTALL_DATADIR}/drwa/plugins
        USE_SOURCE_PERMISSIONS)
install(FILES ${CMAKE_SOURCE_DIR}/share/bash-completion/completions/drwa-host
              ${CMAKE_SOURCE_DIR}/share/bash-completion/completions/drwa-tool
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

add_subdirectory(${CMAKE_SOURCE_DIR}/docs/man ${CMAKE_BINARY_DIR}/docs/man)
