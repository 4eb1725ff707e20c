# The mingw-w64 runtime DLLs that mgmesh.dll and the programs need (the C++ library, libgcc's
# unwinder, winpthreads): copied beside mgmesh.dll in the build tree, so that the tests and
# mgtool.exe find them there, and installed with it.
set(MGMESH_MINGW_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    # the compiler prints the bare name for a file it does not have
    if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
        get_filename_component(path "${path}" REALPATH)
        list(APPEND MGMESH_MINGW_RUNTIME ${path})
    endif()
endforeach()
file(COPY ${MGMESH_MINGW_RUNTIME} DESTINATION ${PROJECT_BINARY_DIR})
install(FILES ${MGMESH_MINGW_RUNTIME} DESTINATION ${CMAKE_INSTALL_BINDIR})
