# The runtime starts once per batch, and on a busy machine loading shared
# libraries costs about as much as analysing a spectrum, so on Linux it is linked
# statically. Sanitizer and fuzz builds cannot link statically; they keep the shared
# C library. The Windows toolchain links everything statically already.
function(link_like_the_runtime target)
  if(WIN32)
    return()
  endif()
  if(SORVANE_SANITIZE OR SORVANE_FUZZ)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  else()
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()
