# Run as a script at build time (see CMakeLists.txt): fails when a file of the engine's library
# includes a header of the editor, the controls or the view layer. The link alone cannot tell,
# as a call through the editor's virtual functions needs none of its symbols.
#   cmake -DROOT=<source folder> -DINCLUDE_DIRS=<dir|dir...> -DSTAMP=<file written on success>
#         -P EngineLayerCheck.cmake
# Each include is judged by the file it names, found as the compiler finds it: a quoted one in
# the including file's folder first, then in the include folders (ROOT when none are given). A
# path written as "../../editor/x.h" or "engine/../gui/y.h" is thus caught as well as
# "editor/x.h".
file(REAL_PATH "${ROOT}" root)
if(INCLUDE_DIRS)
  string(REPLACE "|" ";" include_dirs "${INCLUDE_DIRS}")
else()
  set(include_dirs "${root}")
endif()
set(forbidden "${root}/editor" "${root}/controls" "${root}/gui")

# True in ${out} when `path` (absolute) lies in one of the forbidden folders.
function(in_forbidden_folder path out)
  cmake_path(NORMAL_PATH path)
  if(EXISTS "${path}")
    file(REAL_PATH "${path}" path)
  endif()
  foreach(folder ${forbidden})
    cmake_path(IS_PREFIX folder "${path}" NORMALIZE inside)
    if(inside)
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files "${root}/vst2/*" "${root}/engine/*" "${root}/dsp/*" "${root}/platform/*")
set(found "")
foreach(file ${files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
  get_filename_component(folder "${file}" DIRECTORY)
  foreach(line ${lines})
    string(REGEX MATCH "[\"<]([^\">]+)[\">]" ignored "${line}")
    set(named "${CMAKE_MATCH_1}")
    set(candidates)
    if(IS_ABSOLUTE "${named}")
      list(APPEND candidates "${named}")
    else()
      if(line MATCHES "include[ \t]*\"")
        list(APPEND candidates "${folder}/${named}")
      endif()
      foreach(dir ${include_dirs})
        list(APPEND candidates "${dir}/${named}")
      endforeach()
    endif()
    # The first file that exists is the one compiled in; a name that exists nowhere is judged by
    # every place it could come to name.
    set(judged)
    foreach(candidate ${candidates})
      if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
        set(judged "${candidate}")
        break()
      endif()
    endforeach()
    if(NOT judged)
      set(judged ${candidates})
    endif()
    foreach(candidate ${judged})
      in_forbidden_folder("${candidate}" inside)
      if(inside)
        string(APPEND found "\n  ${file}: ${line}")
        break()
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "The engine's library reaches up to the editor, controls or view layer:"
                      "${found}")
endif()
file(TOUCH "${STAMP}")
