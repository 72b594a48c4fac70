# Fails when a source file includes a layer above its own: the runtime includes none of core,
# cases, gui and app; the desktop (gui) includes neither core nor cases; core never includes
# cases. Run as a script: cmake -DROOT=<source tree> -P check_layers.cmake
if(NOT ROOT)
  message(FATAL_ERROR "check_layers: set ROOT to the source tree")
endif()

set(violations 0)
function(check_layer layer forbidden)
  file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.hpp" "${ROOT}/${layer}/*.cpp"
       "${ROOT}/${layer}/*.c")
  foreach(file ${files})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${forbidden})/")
    foreach(line ${includes})
      file(RELATIVE_PATH name "${ROOT}" "${file}")
      string(STRIP "${line}" line)
      message("${name}: ${line} reaches above ${layer}/")
      math(EXPR violations "${violations} + 1")
    endforeach()
  endforeach()
  set(violations ${violations} PARENT_SCOPE)
endfunction()

check_layer(runtime "core|cases|gui|app")
check_layer(gui "core|cases")
check_layer(core "cases")

if(violations GREATER 0)
  message(FATAL_ERROR "check_layers: ${violations} upward include(s)")
endif()
