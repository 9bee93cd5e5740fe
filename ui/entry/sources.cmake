target_sources(ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Placeholder_entry.cpp)
