# brelmox_write_state(<file> <text>): writes a state file only when its text
# changes, so that the build step that depends on it runs only then.
function(brelmox_write_state file text)
    set(old "")
    if(EXISTS "${file}")
        file(READ "${file}" old)
    endif()
    if(NOT old STREQUAL text)
        file(WRITE "${file}" "${text}")
    endif()
endfunction()
