# Warning and sanitizer flags, set on targets only.
function(mgmesh_set_flags target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    if(MGMESH_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=${MGMESH_SANITIZE} -fno-omit-frame-pointer
            -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=${MGMESH_SANITIZE})
    endif()
endfunction()
