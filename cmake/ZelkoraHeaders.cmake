# Module boundaries. Sources include headers by their place in the source tree
# ("common/profile_file.h"), yet no product target sees the whole tree: each
# sees staged include folders of symbolic links in the build tree, made at
# configure time:
#   exported/<target>/  the headers the target offers to whoever links it;
#   private/<target>/   the target's own folders and files, for its sources.
# A header that is in neither of a target's folders, nor in the exported
# folder of a target it links, is not found: reaching into another module's
# internals does not compile. Tests, benchmarks, fuzz targets and tools are
# white-box and add the source root themselves.
#
#   zelkora_stage_headers(<target> [PUBLIC <path>...] [PRIVATE <path>...])
#
# Paths are files or folders relative to the source root. An interface
# library's PUBLIC headers become its INTERFACE include folder.
function(zelkora_stage_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PUBLIC;PRIVATE")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zelkora_stage_headers(${target}): unexpected ${arg_UNPARSED_ARGUMENTS}")
  endif()
  get_target_property(type ${target} TYPE)
  set(public_scope PUBLIC)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(public_scope INTERFACE)
  endif()
  if(arg_PUBLIC)
    _zelkora_link_tree(${CMAKE_BINARY_DIR}/exported/${target} "${arg_PUBLIC}")
    target_include_directories(${target} ${public_scope}
                               $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/exported/${target}>)
  endif()
  if(arg_PRIVATE)
    _zelkora_link_tree(${CMAKE_BINARY_DIR}/private/${target} "${arg_PRIVATE}")
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/private/${target})
  endif()
endfunction()

# Makes `tree` afresh: one symbolic link per path, at the same place below it
# as the path has below the source root.
function(_zelkora_link_tree tree paths)
  file(REMOVE_RECURSE ${tree})
  foreach(path IN LISTS paths)
    set(source ${PROJECT_SOURCE_DIR}/${path})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "zelkora_stage_headers: ${path} is not in the source tree")
    endif()
    # A path below a linked folder would be made through the link, in the
    # source tree itself.
    foreach(other IN LISTS paths)
      string(FIND "${path}" "${other}/" at)
      if(at EQUAL 0)
        message(FATAL_ERROR "zelkora_stage_headers: ${path} lies in ${other}, listed as well")
      endif()
    endforeach()
    get_filename_component(folder ${tree}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${source} ${tree}/${path} SYMBOLIC)
  endforeach()
endfunction()
