# The test helpers that need no test framework, compiled into the tests' support library and
# into the fuzz targets (fuzz/CMakeLists.txt).
set(MGMESH_SUPPORT_CORE
    ${CMAKE_CURRENT_LIST_DIR}/Invariants.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ModelText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Shapes.cpp)
