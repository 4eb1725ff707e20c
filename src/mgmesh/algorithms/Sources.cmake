target_sources(mgmesh PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/EdgeBuilding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FaceOperations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Splitting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Orientation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoxComparison.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MeshReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MeshRepair.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/EdgeTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/OpenSideList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/EdgeVertexGrid.cpp)
