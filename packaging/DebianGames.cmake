# Run by CPack between staging and packing: Debian keeps the programs of the
# section games in /usr/games, so the launcher moves there in the package
# (cmake --install keeps it in <prefix>/bin).
set(staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB_RECURSE launchers "${staging}/*/bin/halvoran")
foreach(launcher IN LISTS launchers)
  get_filename_component(bin "${launcher}" DIRECTORY)
  get_filename_component(usr "${bin}" DIRECTORY)
  file(MAKE_DIRECTORY "${usr}/games")
  file(RENAME "${launcher}" "${usr}/games/halvoran")
  # The launcher finds the game from where it lies: games/ is beside bin/.
  file(GLOB left "${bin}/*")
  if(NOT left)
    file(REMOVE_RECURSE "${bin}")
  endif()
endforeach()
if(NOT launchers)
  message(FATAL_ERROR "DebianGames.cmake: no launcher in ${staging}")
endif()
