target_sources(mgmesh PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MgGrObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgGrFace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgGrFacet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TriangleStrips.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CMgGrMultiObject.cpp)
