# Helpers that give each target exactly the include paths it owns.

# Exports FOLDER (a path under the project root, e.g. "monitor/core") to
# TARGET's users under its full name, so they write
# #include "monitor/core/orvo_usb.h" while nothing else of the tree becomes
# reachable. The folder is linked into a per-target include root in the build
# tree.
function(qz_public_folder target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# A platform library: platform/NAME/include is public, platform/NAME/src
# private; the target is platform_NAME, used as platform::NAME.
function(qz_platform_library name)
  add_library(platform_${name} STATIC ${ARGN})
  add_library(platform::${name} ALIAS platform_${name})
  target_include_directories(platform_${name}
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(platform_${name} PRIVATE qz_warnings)
endfunction()
