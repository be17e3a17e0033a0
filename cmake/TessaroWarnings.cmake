function(tessaro_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
endfunction()
