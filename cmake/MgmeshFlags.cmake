# Warning and sanitizer flags, set on targets only.
function(mgmesh_set_flags target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    if(WIN32)
        # <windows.h> without its min and max macros and without the rarely used APIs
        target_compile_definitions(${target} PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
    endif()
    if(MGMESH_SANITIZE OR MGMESH_PLAIN_ITEMS)
        # items from the plain heap, so that leak and memory checkers see each one
        target_compile_definitions(${target} PRIVATE MGMESH_PLAIN_ITEMS)
    endif()
    if(MGMESH_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=${MGMESH_SANITIZE} -fno-omit-frame-pointer
            -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=${MGMESH_SANITIZE})
    endif()
endfunction()
