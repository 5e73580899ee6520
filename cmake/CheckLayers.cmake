cmake_minimum_required(VERSION 3.25)
# Fails when a file of a window-free core reaches into the window side: the window system (ui/), the widgets,
# the resources, the platform's implementations, or a window of any module. Run by the build (target
# kelvane_layers) with -DLAYERS=FILE, FILE setting KELVANE_CORE_FILES (absolute paths), KELVANE_WINDOW_HEADERS
# (paths as included, e.g. panel/SatCofdm.h) and KELVANE_SOURCE_ROOT (where included paths start).
# Includes are read in either form ("..." and <...>), and followed through every header of the tree a core file
# includes, so that a header with no source beside it cannot carry the window side in.
include(${LAYERS})

set(forbidden_prefixes "ui/" "widgets/" "res/" "platform/posix/" "platform/win32/")
set(include_pattern "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")

# Whether a path, as included, is one a core may not include.
function(kelvane_forbidden included out)
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
  set(${out} ${bad} PARENT_SCOPE)
endfunction()

set(violations "")
set(pending ${KELVANE_CORE_FILES})
set(seen "")
while(pending)
  list(POP_FRONT pending file)
  if(file IN_LIST seen)
    continue()
  endif()
  list(APPEND seen "${file}")
  file(STRINGS "${file}" includes REGEX "${include_pattern}")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "${include_pattern}.*" "\\1" included "${line}")
    kelvane_forbidden("${included}" bad)
    if(bad)
      string(APPEND violations "\n  ${file} includes \"${included}\"")
    elseif(KELVANE_SOURCE_ROOT AND EXISTS "${KELVANE_SOURCE_ROOT}/${included}"
           AND NOT IS_DIRECTORY "${KELVANE_SOURCE_ROOT}/${included}")
      list(APPEND pending "${KELVANE_SOURCE_ROOT}/${included}")
    endif()
  endforeach()
endwhile()

if(violations)
  message(FATAL_ERROR "A window-free core reaches into the window side:${violations}")
endif()
