# Run as a script at build time (see CMakeLists.txt): fails when a file of the engine's library
# includes a header of the editor, the controls or the view layer. The link alone cannot tell,
# as a call through the editor's virtual functions needs none of its symbols.
#   cmake -DROOT=<source folder> -DSTAMP=<file written on success> -P EngineLayerCheck.cmake
file(GLOB_RECURSE files "${ROOT}/vst2/*" "${ROOT}/engine/*" "${ROOT}/dsp/*" "${ROOT}/platform/*")
set(found "")
foreach(file ${files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](editor|controls|gui)/")
  foreach(line ${lines})
    string(APPEND found "\n  ${file}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "The engine's library reaches up to the editor, controls or view layer:"
                      "${found}")
endif()
file(TOUCH "${STAMP}")
