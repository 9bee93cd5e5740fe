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
# Stripped as Debian strips its own programs: without the compilers' notes either.
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/mayorin\"
                              COMMAND_ERROR_IS_FATAL ANY)")
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

# The manual pages and the bash completion, made by the target mayorin_docs.
install(FILES ${MAYORIN_MANUAL_DIR}/man/man1/mayorin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${MAYORIN_MANUAL_DIR}/man/ja/man1/mayorin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${MAYORIN_MANUAL_DIR}/mayorin.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME mayorin)
# What software centres show; its id is the program's name on the session bus.
configure_file(${MAYORIN_PACKAGE_RESOURCES}/mayorin.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/package/example.mayorin.Mayorin.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/example.mayorin.Mayorin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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
# Depends from the libraries the program links (Qt 6 Widgets, Multimedia, D-Bus), and on the very Qt
# the program was built against: the tray icon reaches into a private structure of Qt's, whose
# layout may change with any release. The Qt core library's package provides that version as
# qt6-base-abi.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(MAYORIN_QT_CORE Qt6::Core LOCATION)
get_filename_component(MAYORIN_QT_CORE ${MAYORIN_QT_CORE} REALPATH)
execute_process(COMMAND dpkg-query -S ${MAYORIN_QT_CORE} OUTPUT_VARIABLE MAYORIN_QT_CORE_PACKAGE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE ":.*" "" MAYORIN_QT_CORE_PACKAGE "${MAYORIN_QT_CORE_PACKAGE}")
execute_process(COMMAND dpkg-query -W -f=\${Provides} ${MAYORIN_QT_CORE_PACKAGE}:${MAYORIN_ARCHITECTURE}
                OUTPUT_VARIABLE MAYORIN_QT_PROVIDES COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "qt6-base-abi \\(= [^)]+\\)" MAYORIN_QT_ABI "${MAYORIN_QT_PROVIDES}")
if(NOT MAYORIN_QT_ABI)
    message(FATAL_ERROR "${MAYORIN_QT_CORE_PACKAGE} provides no qt6-base-abi: \"${MAYORIN_QT_PROVIDES}\"")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${MAYORIN_QT_ABI})
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, xchm")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${MAYORIN_PACKAGE_RESOURCES}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The package made and checked as scripts/package.sh makes and checks it, once the build folder is
# built: ctest --test-dir build-package -R test_package
add_test(NAME test_package
         COMMAND bash -c "rm -f mayorin_*.deb && '${CMAKE_CPACK_COMMAND}' -G DEB >/dev/null && bash \"$0\" mayorin_*.deb"
                 ${PROJECT_SOURCE_DIR}/tests/package/PackageCheck.sh
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(test_package PROPERTIES TIMEOUT 600)
