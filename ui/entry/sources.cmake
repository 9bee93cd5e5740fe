target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form1Window.h
    ${CMAKE_CURRENT_LIST_DIR}/Form1.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AddReservation.h
    ${CMAKE_CURRENT_LIST_DIR}/AddReservation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PauseReservation.h
    ${CMAKE_CURRENT_LIST_DIR}/PauseReservation.cpp
)
