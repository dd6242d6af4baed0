# Warnings for every target of ours; CI turns them into errors.
function(tarnwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual
    -Wformat=2 -Wimplicit-fallthrough
    # GCC 12 reports uninitialised members of std::optional<QString> at -O2
    # that are not there; the sanitizer run covers real uses of such values.
    -Wno-maybe-uninitialized)
  if(TARNWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
