# The layers, enforced by the build: the window-free cores are their own targets, and no file of theirs may
# include the window system, the widgets, the resources, the platform's implementations or any module's window.

set(KELVANE_CORE_TARGETS kelvane_text kelvane_link kelvane_app_core kelvane_config_core kelvane_panel_core
  kelvane_cam_core)
set(KELVANE_WINDOW_TARGETS kelvane_app kelvane_config kelvane_panel kelvane_cam kelvane_widgets)

# A target's files: its sources, and the header beside each.
function(kelvane_target_files target out)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(files "")
  foreach(source IN LISTS sources)
    get_filename_component(path "${source}" ABSOLUTE BASE_DIR "${dir}")
    list(APPEND files "${path}")
    get_filename_component(stem "${path}" NAME_WLE)
    get_filename_component(folder "${path}" DIRECTORY)
    if(EXISTS "${folder}/${stem}.h")
      list(APPEND files "${folder}/${stem}.h")
    endif()
  endforeach()
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

set(core_files "")
foreach(target IN LISTS KELVANE_CORE_TARGETS)
  kelvane_target_files(${target} files)
  list(APPEND core_files ${files})
endforeach()
set(window_headers "")
foreach(target IN LISTS KELVANE_WINDOW_TARGETS)
  kelvane_target_files(${target} files)
  foreach(file IN LISTS files)
    if(file MATCHES "\\.h$")
      file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}" "${file}")
      list(APPEND window_headers "${relative}")
    endif()
  endforeach()
endforeach()

set(KELVANE_LAYERS_FILE ${PROJECT_BINARY_DIR}/layers.cmake)
file(WRITE ${KELVANE_LAYERS_FILE}
  "set(KELVANE_CORE_FILES \"${core_files}\")\nset(KELVANE_WINDOW_HEADERS \"${window_headers}\")\n"
  "set(KELVANE_SOURCE_ROOT \"${PROJECT_SOURCE_DIR}\")\n")
add_custom_target(kelvane_layers ALL
  COMMAND ${CMAKE_COMMAND} -DLAYERS=${KELVANE_LAYERS_FILE} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking that the window-free cores stay free of windows" VERBATIM)
