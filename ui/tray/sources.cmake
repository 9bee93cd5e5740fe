target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ExportedMenu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form4.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Help.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SessionEnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusNotifier.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusNotifierItem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemSignals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrayIcon.cpp
)
# The toolkit's tray icon is kept an embedded one through its private part (qt6-base-private-dev).
target_link_libraries(ui PRIVATE Qt6::WidgetsPrivate)

# The help file: HTML pages compiled into "Mayorin。ヘルプ.chm" beside the program.
set(MAYORIN_HELP_SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/help)
set(MAYORIN_HELP_FILE "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Mayorin。ヘルプ.chm")
find_program(MAYORIN_CHMCMD chmcmd)
find_program(MAYORIN_ICONV iconv)
if(MAYORIN_CHMCMD AND MAYORIN_ICONV)
    file(GLOB MAYORIN_HELP_PAGES CONFIGURE_DEPENDS
        ${MAYORIN_HELP_SOURCE_DIR}/*.html ${MAYORIN_HELP_SOURCE_DIR}/*.css
        ${MAYORIN_HELP_SOURCE_DIR}/*.hhc ${MAYORIN_HELP_SOURCE_DIR}/*.hhp)
    set(MAYORIN_HELP_WORK ${CMAKE_CURRENT_BINARY_DIR}/help)
    # chmcmd writes beside its project file, so it works on a copy in the build tree.
    add_custom_command(
        OUTPUT "${MAYORIN_HELP_FILE}"
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${MAYORIN_HELP_WORK}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${MAYORIN_HELP_SOURCE_DIR} ${MAYORIN_HELP_WORK}
        # Viewers read the project and the contents in the code page of the help's language.
        COMMAND ${MAYORIN_ICONV} -f UTF-8 -t CP932 -o ${MAYORIN_HELP_WORK}/toc.hhc ${MAYORIN_HELP_SOURCE_DIR}/toc.hhc
        COMMAND ${MAYORIN_ICONV} -f UTF-8 -t CP932 -o ${MAYORIN_HELP_WORK}/mayorin.hhp ${MAYORIN_HELP_SOURCE_DIR}/mayorin.hhp
        COMMAND ${CMAKE_COMMAND} -E chdir ${MAYORIN_HELP_WORK} ${MAYORIN_CHMCMD} mayorin.hhp
        COMMAND ${CMAKE_COMMAND} -E copy ${MAYORIN_HELP_WORK}/mayorin-help.chm "${MAYORIN_HELP_FILE}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DEPENDS ${MAYORIN_HELP_PAGES}
        COMMENT "Compiling the help file"
        VERBATIM)
    add_custom_target(mayorin_help ALL DEPENDS "${MAYORIN_HELP_FILE}")
    add_dependencies(ui mayorin_help)
else()
    message(WARNING "chmcmd (fp-utils) or iconv not found: the help file is not built")
endif()
