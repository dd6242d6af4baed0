# Adds each listed subfolder that has a CMakeLists.txt.
function(tarnwick_add_subdirs)
  foreach(sub IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()
