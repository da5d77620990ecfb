# The built-in user-wave shapes: builds the wavegen tool for the build host, runs it on
# tools/wavegen/shapes.txt and compiles the table it writes into zek2engine. Include right after
# the zek2engine target is defined.

get_filename_component(ZEK2_WAVES_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ZEK2_WAVES_TEXT "${ZEK2_WAVES_ROOT}/tools/wavegen/shapes.txt")
set(ZEK2_WAVES_SOURCE "${CMAKE_BINARY_DIR}/generated/UserWaveShapes.cpp")

add_executable(wavegen "${ZEK2_WAVES_ROOT}/tools/wavegen/wavegen.cpp")
# A build tool: our warnings, none of the sanitizer options a sanitizer build gives every target.
set_property(TARGET wavegen PROPERTY COMPILE_OPTIONS ${ZEK2_WARNINGS})
set_property(TARGET wavegen PROPERTY LINK_OPTIONS "")

add_custom_command(
  OUTPUT "${ZEK2_WAVES_SOURCE}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/generated"
  COMMAND wavegen "${ZEK2_WAVES_TEXT}" "${ZEK2_WAVES_SOURCE}"
  DEPENDS wavegen "${ZEK2_WAVES_TEXT}"
  COMMENT "Generating the built-in user-wave shapes from tools/wavegen/shapes.txt"
  VERBATIM)
target_sources(zek2engine PRIVATE "${ZEK2_WAVES_SOURCE}")
