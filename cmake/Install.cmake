# Installing the game (cmake --install build --prefix P) and its Debian
# package (cpack in build/). The installed tree:
#   P/lib/halvoran/bin/     Halvoran, libEngine.so and the marker "installed"
#   P/lib/halvoran/maps/, data/, demos/   read-only game data
#   P/bin/halvoran          the launcher (runs the game in its bin/ folder);
#                           /usr/games/halvoran in the Debian package
#   P/share/applications/, metainfo/, icons/hicolor/, man/man6/, doc/halvoran/
# The marker tells the game that its tree is installed, so it writes
# savegames, screenshots and its log into the user's folders
# (engine/platform/aeUserFolders.h).

include(GNUInstallDirs)
set(HALVORAN_APP_ID de.kelmstone.Halvoran)
# Debian's libdir has no multiarch part here: the tree is private to the game.
set(HALVORAN_INSTALL_GAME lib/halvoran)
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(out ${CMAKE_BINARY_DIR}/packaging)

# The program finds its library beside itself.
set_target_properties(Halvoran PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS Halvoran Engine
  RUNTIME DESTINATION ${HALVORAN_INSTALL_GAME}/bin
  LIBRARY DESTINATION ${HALVORAN_INSTALL_GAME}/bin)
file(WRITE ${out}/installed
  "Halvoran - Nachtweg ist installiert: Spielstaende, Bildschirmfotos und das Logbuch liegen in den Ordnern des Benutzers.\n")
install(FILES ${out}/installed DESTINATION ${HALVORAN_INSTALL_GAME}/bin)
foreach(dir maps data demos)
  install(DIRECTORY ${HALVORAN_GAME_DIR}/${dir} DESTINATION ${HALVORAN_INSTALL_GAME})
endforeach()

# The launcher, with the way from P/bin to the game tree.
file(RELATIVE_PATH HALVORAN_LAUNCHER_TO_GAME /p/${CMAKE_INSTALL_BINDIR} /p/${HALVORAN_INSTALL_GAME})
configure_file(${pkg}/halvoran.in ${out}/halvoran @ONLY)
install(PROGRAMS ${out}/halvoran DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${pkg}/${HALVORAN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${pkg}/${HALVORAN_APP_ID}.metainfo.xml ${out}/${HALVORAN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${out}/${HALVORAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The window's icon (the program's resource 101) in the usual sizes.
set(HALVORAN_ICON_SIZES 16 32 48 64 128 256)
find_program(HALVORAN_CONVERT convert REQUIRED)
set(icons "")
foreach(size IN LISTS HALVORAN_ICON_SIZES)
  set(png ${out}/icons/${size}x${size}/apps/${HALVORAN_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/icons/${size}x${size}/apps
    COMMAND ${HALVORAN_CONVERT} ${HALVORAN_CONTENT_RESOURCES}/Icon.bmp -filter point -resize ${size}x${size}!
            -strip png32:${png}
    DEPENDS ${HALVORAN_CONTENT_RESOURCES}/Icon.bmp
    COMMENT "Symbol: ${size}x${size}"
    VERBATIM)
  list(APPEND icons ${png})
endforeach()
add_custom_target(icons ALL DEPENDS ${icons})
install(DIRECTORY ${out}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# Manual page, copyright and changelog (compressed as Debian wants them).
find_program(HALVORAN_GZIP gzip REQUIRED)
configure_file(${pkg}/halvoran.6 ${out}/halvoran.6 @ONLY)
configure_file(${pkg}/changelog ${out}/changelog @ONLY)
add_custom_command(OUTPUT ${out}/halvoran.6.gz ${out}/changelog.gz
  COMMAND ${HALVORAN_GZIP} -9nf -k ${out}/halvoran.6 ${out}/changelog
  DEPENDS ${out}/halvoran.6 ${out}/changelog
  VERBATIM)
add_custom_target(packaging_docs ALL DEPENDS ${out}/halvoran.6.gz ${out}/changelog.gz)
install(FILES ${out}/halvoran.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${pkg}/copyright ${out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/halvoran)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvoran)
set(CPACK_PACKAGE_VENDOR "Kelmstone Games")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person adventure in a grid maze (German)")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Halvoran - Nachtweg is a single-player adventure played on a grid maze: walk
and look freely, open doors with switches, avoid traps, follow quests and
find the exit to the next map. The whole game is in German.
.
The package holds the game, its engine library and its maps and data.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Halvoran developer <dev@halvoran.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/game/bin)
# What the libraries load at run time: the font the game draws with (Arial
# resolves to Liberation Sans) and OpenGL for SDL and libepoxy.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libgl1, libegl1")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${pkg}/DebianGames.cmake)
include(CPack)
