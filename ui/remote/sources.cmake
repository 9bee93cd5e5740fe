target_sources(ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RemoteControl.h
    ${CMAKE_CURRENT_LIST_DIR}/RemoteControl.cpp
)
