# The Debian package (MAYORIN_PACKAGE): the program in /usr/bin, its chime and help in
# /usr/share/mayorin, the menu entry, the icons, the log-in start for the accounts that use it,
# and the documents. Built by scripts/package.sh with CPack's DEB generator.
include(GNUInstallDirs)
# Installing (and so packaging) takes what the package holds; it does not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(MAYORIN_PACKAGE_RESOURCES ${PROJECT_SOURCE_DIR}/resources/package)

install(TARGETS mayorin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${CMAKE_BINARY_DIR}/Mayorin。音.wav" "${CMAKE_BINARY_DIR}/Mayorin。ヘルプ.chm"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mayorin)

# The menu entry runs the program found on PATH.
set(EXEC mayorin)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/mayorin.desktop.in ${CMAKE_BINARY_DIR}/package/mayorin.desktop
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/mayorin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "mayorin.png")
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/mayorin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Read by the session of every account; the program ends at once for an account without its data
# folder.
install(FILES ${MAYORIN_PACKAGE_RESOURCES}/mayorin-autostart.desktop DESTINATION /etc/xdg/autostart
        RENAME mayorin.desktop)

execute_process(COMMAND gzip -9nc ${MAYORIN_PACKAGE_RESOURCES}/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/package/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${MAYORIN_PACKAGE_RESOURCES}/copyright
              ${CMAKE_BINARY_DIR}/package/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mayorin)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE MAYORIN_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mayorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${MAYORIN_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_CONTACT "Mayorin developers <dev@mayorin.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resident reminder with countdowns and alarms / 予定を表示するソフト")
file(READ ${MAYORIN_PACKAGE_RESOURCES}/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
# Depends from the libraries the program links (Qt 6 Widgets, Multimedia, D-Bus).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, xchm")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${MAYORIN_PACKAGE_RESOURCES}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
