# The built-in preset bank: builds the presetgen tool for the build host, runs it on
# presets/bank.txt and compiles the source it writes into zek2engine. Include right after the
# zek2engine target is defined.

get_filename_component(ZEK2_BANK_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ZEK2_BANK_TEXT "${ZEK2_BANK_ROOT}/presets/bank.txt")
set(ZEK2_BANK_SOURCE "${CMAKE_BINARY_DIR}/generated/DemoBank.cpp")

# The generator reads the real parameter table, so the bank follows its defaults and steps, and
# the built-in user-wave shapes (written by wavegen, cmake/UserWaves.cmake), so a preset that
# names a shape carries its points.
set(ZEK2_BANK_WAVES_SOURCE "${CMAKE_BINARY_DIR}/generated/UserWaveShapes.cpp")
set_source_files_properties("${ZEK2_BANK_WAVES_SOURCE}" PROPERTIES GENERATED TRUE)
add_executable(presetgen
  "${ZEK2_BANK_ROOT}/tools/presetgen/presetgen.cpp"
  "${ZEK2_BANK_ROOT}/engine/params/ParameterTable.cpp"
  "${ZEK2_BANK_WAVES_SOURCE}")
target_include_directories(presetgen PRIVATE "${ZEK2_BANK_ROOT}")
# A build tool runs once per bank edit: the sanitizer options a sanitizer build gives every
# target would only slow it down, so it takes our warnings alone.
set_property(TARGET presetgen PROPERTY COMPILE_OPTIONS ${ZEK2_WARNINGS})
set_property(TARGET presetgen PROPERTY LINK_OPTIONS "")

add_custom_command(
  OUTPUT "${ZEK2_BANK_SOURCE}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/generated"
  COMMAND presetgen "${ZEK2_BANK_TEXT}" "${ZEK2_BANK_SOURCE}"
  DEPENDS presetgen "${ZEK2_BANK_TEXT}"
  COMMENT "Generating the built-in preset bank from presets/bank.txt"
  VERBATIM)
target_sources(zek2engine PRIVATE "${ZEK2_BANK_SOURCE}")

# The renderbank tool plays every preset's phrase through the built plug-in, as a host does, and
# writes what it hears as WAV files and sonogram pictures (see the README).
add_executable(renderbank "${ZEK2_BANK_ROOT}/tools/renderbank/renderbank.cpp")
target_include_directories(renderbank PRIVATE "${ZEK2_BANK_ROOT}")
target_compile_options(renderbank PRIVATE ${ZEK2_WARNINGS})
target_compile_definitions(renderbank PRIVATE ZEK2_PLUGIN_PATH="$<TARGET_FILE:ZEK2>")
target_link_libraries(renderbank PRIVATE PkgConfig::ZEK2_GUI_DEPS ${CMAKE_DL_LIBS})
add_dependencies(renderbank ZEK2)

# The unit tests run the generator on bad bank files, and the host tests play every preset named
# in the bank text and run renderbank's comparison; both are defined later, so the wiring waits
# until the top-level directory has been read.
function(zek2_wire_presetgen_tests)
  if(TARGET zek2_unit_tests)
    target_compile_definitions(zek2_unit_tests PRIVATE
      ZEK2_PRESETGEN_PATH="$<TARGET_FILE:presetgen>")
    add_dependencies(zek2_unit_tests presetgen)
  endif()
  if(TARGET zek2_host_tests)
    target_compile_definitions(zek2_host_tests PRIVATE ZEK2_BANK_TEXT_PATH="${ZEK2_BANK_TEXT}"
      ZEK2_RENDERBANK_PATH="$<TARGET_FILE:renderbank>")
    add_dependencies(zek2_host_tests renderbank)
  endif()
endfunction()
cmake_language(DEFER CALL zek2_wire_presetgen_tests)
