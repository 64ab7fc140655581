# zn_room(TARGET FOLDER): the library TARGET holds the code of FOLDER, and its headers are found as
# "FOLDER/Name.h" only by TARGET and the libraries that link it. No library puts the source tree
# itself on the include path: each room's folder is linked into an include tree of its own in the
# build, which the room exports. An include of a room the library does not link does not compile.
function(zn_room target folder)
  set(root "${CMAKE_BINARY_DIR}/rooms/${target}")
  get_filename_component(parent "${root}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  if(NOT IS_SYMLINK "${root}/${folder}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC "${root}")
endfunction()
