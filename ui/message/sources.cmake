target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form5.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form5Window.h
    ${CMAKE_CURRENT_LIST_DIR}/MessageTexts.cpp
)
