# The engine's layering, checked by the build: outside engine/platform/ no
# source of the engine or the game includes a system or library header (SDL,
# OpenGL, OpenAL, libsndfile, FreeType, POSIX ...). Only the C++ standard
# library's own headers (<vector>, <cstdio>, ...) are allowed there; the
# platform layer offers everything else behind its small interfaces.
#   cmake -DROOT=<source tree> -P CheckLayers.cmake
if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers.cmake: ROOT fehlt")
endif()
file(GLOB_RECURSE sources ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp ${ROOT}/game/*.h ${ROOT}/game/*.cpp)
set(violations "")
foreach(source IN LISTS sources)
  file(RELATIVE_PATH relative ${ROOT} ${source})
  if(relative MATCHES "^engine/platform/")
    continue()
  endif()
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*$" "\\1" header "${line}")
    # The standard library's headers have neither an extension nor a folder.
    if(header MATCHES "[./]")
      string(APPEND violations "\n  ${relative}: <${header}>")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "Nur engine/platform/ darf System- und Bibliotheksköpfe einbinden:${violations}")
endif()
