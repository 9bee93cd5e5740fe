target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form2Window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DesktopNotification.cpp
)
# The chime the notification window plays lies beside the program.
configure_file(${PROJECT_SOURCE_DIR}/resources/Mayorin。音.wav ${CMAKE_BINARY_DIR}/Mayorin。音.wav COPYONLY)
