target_sources(mgmesh PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CMgMultiObject.cpp)
