# The layers, enforced by the compiler: a library sees its own headers and those of the libraries
# it links, and no others. Each library gets an include root of its own in the build tree holding
# one link, named after its layer, to its folder, so includes read "layer/file.h" as they always
# did while a header of a layer the library does not link is simply not found. What a compiler
# cannot see (a relative include, a header no one in its layer includes) scripts/lint.sh checks.
#
# collatz_layer_root(TARGET INTERFACE|PUBLIC LAYER FOLDER)
function(collatz_layer_root target scope layer folder)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${folder} ${root}/${layer} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()
