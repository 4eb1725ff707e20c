# Installs the library, its public headers and the CMake package.
include(CMakePackageConfigHelpers)

install(TARGETS mgmesh EXPORT mgmeshTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Public headers keep their folders; internals live in each subsystem's detail/ folder and are
# never installed, and a folder without public headers is not created.
file(GLOB_RECURSE MGMESH_INSTALL_HEADERS RELATIVE ${PROJECT_SOURCE_DIR}/src CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/mgmesh/*.h)
list(FILTER MGMESH_INSTALL_HEADERS EXCLUDE REGEX "/detail/")
foreach(header IN LISTS MGMESH_INSTALL_HEADERS)
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder})
endforeach()
install(EXPORT mgmeshTargets NAMESPACE mgmesh:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mgmesh)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/mgmeshConfig.cmake.in
    ${PROJECT_BINARY_DIR}/mgmeshConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mgmesh)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/mgmeshConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/mgmeshConfig.cmake ${PROJECT_BINARY_DIR}/mgmeshConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mgmesh)
# The pkg-config file names the prefix the files go to, which `cmake --install --prefix` may
# choose after configuring, so it is written at install time.
foreach(dir LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
        set(MGMESH_PC_${dir} "${CMAKE_INSTALL_${dir}}")
    else()
        set(MGMESH_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
    endif()
endforeach()
install(CODE "
    set(MGMESH_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(MGMESH_PC_LIBDIR [=[${MGMESH_PC_LIBDIR}]=])
    set(MGMESH_PC_INCLUDEDIR [=[${MGMESH_PC_INCLUDEDIR}]=])
    set(PROJECT_VERSION ${PROJECT_VERSION})
    configure_file(\"${PROJECT_SOURCE_DIR}/cmake/mgmesh.pc.in\"
        \"${PROJECT_BINARY_DIR}/pkgconfig/mgmesh.pc\" @ONLY)")
install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/mgmesh.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
