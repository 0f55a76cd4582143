# halvoran_add_resources(<target> <symbol> <list file>)
#
# Builds a module resource table into <target>: the embedded byte blocks that
# VFile::Init(HINSTANCE, name, type) looks up by identifier and type.  The list
# file holds one resource a line: "<identifier or name> <TYPE> <file>", the file
# relative to the list file; '#' starts a comment.  The table is a global
# aeResourceModule named <symbol>.
#
# A file written "@CONTENT@/<name>" is made at build time by the content
# pipeline (content/CMakeLists.txt) in ${HALVORAN_CONTENT_RESOURCES}; it need
# not exist at configure time, and the target then waits for the content.
set(HALVORAN_CONTENT_RESOURCES ${CMAKE_BINARY_DIR}/content/resources)
function(halvoran_add_resources target symbol listfile)
  get_filename_component(base ${listfile} DIRECTORY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${listfile})
  file(STRINGS ${listfile} lines)
  set(blobs "")
  set(entries "")
  set(deps "")
  set(n 0)
  set(generated FALSE)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(REGEX MATCH "^([^ \t]+)[ \t]+([^ \t]+)[ \t]+(.+)$" ok "${line}")
    if(NOT ok)
      message(FATAL_ERROR "${listfile}: unreadable resource line '${line}'")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(type ${CMAKE_MATCH_2})
    set(file ${CMAKE_MATCH_3})
    set(is_generated FALSE)
    if(file MATCHES "^@CONTENT@/(.+)$")
      set(file ${HALVORAN_CONTENT_RESOURCES}/${CMAKE_MATCH_1})
      set_source_files_properties(${file} PROPERTIES GENERATED TRUE)
      set(is_generated TRUE)
      set(generated TRUE)
    elseif(NOT IS_ABSOLUTE ${file})
      set(file ${base}/${file})
    endif()
    if(NOT is_generated AND NOT EXISTS ${file})
      message(FATAL_ERROR "${listfile}: resource file '${file}' is missing")
    endif()
    list(APPEND deps ${file})
    set(sym "${symbol}_${n}")
    string(APPEND blobs
      "asm(\".section .rodata\\n.balign 16\\n${sym}_begin:\\n.incbin \\\"${file}\\\"\\n${sym}_end:\\n.byte 0\\n.previous\\n\");\n"
      "extern \"C\" const unsigned char ${sym}_begin[] __asm__(\"${sym}_begin\");\n"
      "extern \"C\" const unsigned char ${sym}_end[] __asm__(\"${sym}_end\");\n")
    if(id MATCHES "^[0-9]+$")
      string(APPEND entries "  { ${id}, nullptr, \"${type}\", ${sym}_begin, ${sym}_end },\n")
    else()
      string(APPEND entries "  { 0, \"${id}\", \"${type}\", ${sym}_begin, ${sym}_end },\n")
    endif()
    math(EXPR n "${n} + 1")
  endforeach()
  if(n EQUAL 0)
    set(entries "  { 0, nullptr, nullptr, nullptr, nullptr },\n")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
  file(CONFIGURE OUTPUT ${out} CONTENT
"// Generated from ${listfile}; do not edit.
#include \"aeResources.h\"

${blobs}
static const aeResourceEntry s_aEntries[] = {
${entries}};

extern const aeResourceModule ${symbol} = { \"${symbol}\", s_aEntries, ${n} };
" @ONLY)
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} PROPERTIES OBJECT_DEPENDS "${deps}")
  if(generated)
    add_dependencies(${target} content)
  endif()
endfunction()
