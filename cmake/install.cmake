# `make install` (cmake --install): the programs with the library beside them,
# where the host loads it from; the sample plugins under share/drwa/plugins,
# where new-account looks for them; the manual pages and bash completion.
include(GNUInstallDirs)

install(TARGETS drwa-host drwa-tool drwa_plugin
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/plugins/ DESTINATION ${CMAKE_INSTALL_DATADIR}/drwa/plugins
        USE_SOURCE_PERMISSIONS)
install(FILES ${CMAKE_SOURCE_DIR}/share/bash-completion/completions/drwa-host
              ${CMAKE_SOURCE_DIR}/share/bash-completion/completions/drwa-tool
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

add_subdirectory(${CMAKE_SOURCE_DIR}/docs/man ${CMAKE_BINARY_DIR}/docs/man)
