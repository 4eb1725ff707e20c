target_sources(mgmesh PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ScbReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScbWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MultiScbReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StlReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BinaryStlReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AnyStlReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StlWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ObjReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ObjWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlyReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlyWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrgReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HostImport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StlImport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/TokenReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/NumberScan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/detail/ClassicStrtof.cpp)
