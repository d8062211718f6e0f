# The build enforces the layers: no target sees the source root. Each layer
# folder gets a folder of its own in the build tree holding one symbolic link
# named after it, and that folder is the include directory of the layer's
# targets, handed on to whoever links them. Includes keep their
# "folder/file.h" form; a header of a layer a target does not link is simply
# not found.
#
# zumbrik_layer(target folder [FILES header...])
#   folder: a folder of the source root, e.g. "console" or "platform/posix".
#   FILES: link only these files of the folder instead of the whole folder
#   (the seam: the top of platform/ without its implementation subfolders).
function(zumbrik_layer target folder)
  cmake_parse_arguments(ARG "" "" "FILES" ${ARGN})
  string(REPLACE "/" "_" name "${folder}")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  if(ARG_FILES)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(file IN LISTS ARG_FILES)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${file} ${root}/${folder}/${file} SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
