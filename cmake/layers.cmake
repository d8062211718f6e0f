# The build enforces the layers: no target sees the source root. Each layer
# folder gets a folder of its own in the build tree holding one symbolic link
# named after it, and that folder is the include directory of the layer's
# targets, handed on to whoever links them. Includes keep their
# "folder/file.h" form; a header of a layer a target does not link is simply
# not found.
#
# zumbrik_layer(target folder [FILES header...] [ROOT name] [PRIVATE])
#   folder: a folder of the source root, e.g. "console" or "platform/posix".
#   FILES: link only these files of the folder (paths below it) instead of
#   the whole folder: a layer's public face (the seam: the top of platform/
#   without its implementation subfolders; the player without its workings).
#   ROOT: the name of the build-tree folder, when one source folder gives
#   more than one face (default: the folder's path with "_" for "/").
#   PRIVATE: the target's own sources see the folder, its users do not.
function(zumbrik_layer target folder)
  cmake_parse_arguments(ARG "PRIVATE" "ROOT" "FILES" ${ARGN})
  string(REPLACE "/" "_" name "${folder}")
  if(ARG_ROOT)
    set(name ${ARG_ROOT})
  endif()
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  if(ARG_FILES)
    # A folder of links to files is never a link to the source folder itself.
    if(IS_SYMLINK ${root}/${folder})
      file(REMOVE ${root}/${folder})
    endif()
    foreach(file IN LISTS ARG_FILES)
      get_filename_component(parent ${root}/${folder}/${file} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
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
  elseif(ARG_PRIVATE)
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
