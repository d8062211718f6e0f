# zumbrik_write_resource_table(OUTPUT entry...) writes the table that
# resource_table.cpp includes: each entry is "id=file", the file's bytes become
# a constant array. Reconfigures when a listed file changes.
function(zumbrik_write_resource_table output)
  set(arrays "")
  set(rows "")
  set(index 0)
  foreach(entry IN LISTS ARGN)
    string(REGEX MATCH "^([0-9]+)=(.+)$" matched "${entry}")
    if(NOT matched)
      message(FATAL_ERROR "resource entry '${entry}' is not id=file")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(file ${CMAKE_MATCH_2})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    file(READ "${file}" hex HEX)
    file(SIZE "${file}" size)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND arrays "alignas(4) const std::uint8_t kResource${index}[] = {${bytes}0};\n")
    string(APPEND rows "    {${id}, kResource${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  if(index EQUAL 0)
    set(rows "    {0, nullptr, 0},  // no resources: an entry that no lookup matches\n")
  endif()
  file(CONFIGURE OUTPUT "${output}" CONTENT
"${arrays}const ResourceEntry kEmbeddedResources[] = {
${rows}};
constexpr std::size_t kEmbeddedResourceCount = ${index};
" @ONLY)
endfunction()
