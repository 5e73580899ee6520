cmake_minimum_required(VERSION 3.25)
# Fails when a file of a window-free core reaches into the window side: the window system (ui/), the widgets,
# the resources, the platform's implementations, or a window of any module. Run by the build (target
# kelvane_layers) with -DLAYERS=FILE, FILE setting KELVANE_CORE_FILES (absolute paths) and
# KELVANE_WINDOW_HEADERS (paths as included, e.g. panel/SatCofdm.h).
include(${LAYERS})

set(forbidden_prefixes "ui/" "widgets/" "res/" "platform/posix/" "platform/win32/")
set(violations "")
foreach(file IN LISTS KELVANE_CORE_FILES)
  file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
    set(bad FALSE)
    foreach(prefix IN LISTS forbidden_prefixes)
      string(FIND "${included}" "${prefix}" at)
      if(at EQUAL 0)
        set(bad TRUE)
      endif()
    endforeach()
    if(included IN_LIST KELVANE_WINDOW_HEADERS)
      set(bad TRUE)
    endif()
    if(bad)
      string(APPEND violations "\n  ${file} includes \"${included}\"")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "A window-free core reaches into the window side:${violations}")
endif()
