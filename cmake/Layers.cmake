# The layers, enforced by the compiler: a library sees its own headers and those of the libraries
# it links, and no others. Each library gets an include root of its own in the build tree holding
# a folder named after its layer with one link to each header of the layer's folder, so includes
# read "layer/file.h" as they always did while a header of a layer the library does not link is
# simply not found. A layer inside another one's folder (src/sound/module) is named by its path
# ("sound/module"), and the layer around it does not see its headers. What a compiler
# cannot see (a relative include, a header no one in its layer includes) scripts/lint.sh checks.
#
# collatz_layer_root(TARGET INTERFACE|PUBLIC LAYER FOLDER)
function(collatz_layer_root target scope layer folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  # A tree configured before held a link to the whole folder here.
  if(IS_SYMLINK ${root}/${layer})
    file(REMOVE ${root}/${layer})
  endif()
  file(MAKE_DIRECTORY ${root}/${layer})
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${folder} ${folder}/*.h)
  foreach(header IN LISTS headers)
    file(CREATE_LINK ${folder}/${header} ${root}/${layer}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
