target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form3Window.h
)
