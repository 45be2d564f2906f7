# Manual pages: section 1 for every program of the suite that is built,
# section 3 for the two libraries.  Installed as plain roff; man reads them
# as they are, and packaging compresses them if it wants.
#
# Include after programs.cmake, which names the programs and makes their
# targets.
if(NOT DEFINED BIOFILTERS_PROGRAMS)
  message(FATAL_ERROR "docs/man/man.cmake needs BIOFILTERS_PROGRAMS: include it after programs.cmake")
endif()

# The page footer carries the suite's version, so the pages are copied into
# the build tree with it filled in.
function(biofilters_man_page page section)
  set(source ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${page})
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "No manual page ${page} in docs/man/")
  endif()
  configure_file(${source} ${CMAKE_BINARY_DIR}/man/man${section}/${page} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/man${section}/${page}
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

foreach(program IN LISTS BIOFILTERS_PROGRAMS)
  if(TARGET ${program})
    biofilters_man_page(${program}.1 1)
  endif()
endforeach()
biofilters_man_page(norbel.3 3)
biofilters_man_page(quorix.3 3)
