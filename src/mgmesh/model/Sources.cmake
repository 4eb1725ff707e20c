target_sources(mgmesh PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/detail/ItemPool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/ChunkMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgPickable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgVertex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgCorner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgEdge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgFacet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgFace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VertexPool.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MgObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/VertexLookup.cpp)
