# The content tools' logic as a library of its own (header-only): the shared
# command line and file helpers, the readable text forms of maps, models and
# animations, the WAV converter and the archive writer. The tools, the tests,
# the benchmarks and the fuzz targets use it by name.
add_library(ToolLogic INTERFACE)
target_include_directories(ToolLogic INTERFACE
  ${PROJECT_SOURCE_DIR}/tools/common
  ${PROJECT_SOURCE_DIR}/tools/maptool
  ${PROJECT_SOURCE_DIR}/tools/rvmtool
  ${PROJECT_SOURCE_DIR}/tools/ranimtool
  ${PROJECT_SOURCE_DIR}/tools/rvstool
  ${PROJECT_SOURCE_DIR}/tools/zippack)
target_link_libraries(ToolLogic INTERFACE Engine)
