# The skin: builds the skingen tool for the build host, runs it on tools/skingen/skin.txt and
# compiles the index it writes, which embeds the PNG pictures, into zek2core. Include after
# the zek2core target and the view layer (cmake/Gui.cmake) are defined.

get_filename_component(ZEK2_SKIN_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ZEK2_SKIN_TEXT "${ZEK2_SKIN_ROOT}/tools/skingen/skin.txt")
set(ZEK2_SKIN_BLOB "${CMAKE_BINARY_DIR}/generated/SkinData.bin")
set(ZEK2_SKIN_SOURCE "${CMAKE_BINARY_DIR}/generated/SkinData.cpp")
set(ZEK2_SKIN_INK "${CMAKE_BINARY_DIR}/generated/SkinInk.txt")

add_executable(skingen "${ZEK2_SKIN_ROOT}/tools/skingen/skingen.cpp")
target_include_directories(skingen PRIVATE "${ZEK2_SKIN_ROOT}")
target_link_libraries(skingen PRIVATE PkgConfig::ZEK2_GUI_DEPS)
# A build tool: the sanitizer options every target of a sanitizer build gets would only slow it.
set_property(TARGET skingen PROPERTY COMPILE_OPTIONS ${ZEK2_WARNINGS})
set_property(TARGET skingen PROPERTY LINK_OPTIONS "")

add_custom_command(
  OUTPUT "${ZEK2_SKIN_BLOB}" "${ZEK2_SKIN_SOURCE}" "${ZEK2_SKIN_INK}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/generated"
  COMMAND skingen "${ZEK2_SKIN_TEXT}" "${ZEK2_SKIN_BLOB}" "${ZEK2_SKIN_SOURCE}" "${ZEK2_SKIN_INK}"
  DEPENDS skingen "${ZEK2_SKIN_TEXT}"
  COMMENT "Drawing the skin from tools/skingen/skin.txt"
  VERBATIM)
target_sources(zek2core PRIVATE "${ZEK2_SKIN_SOURCE}")
# The source embeds the blob with the assembler, so it is rebuilt whenever the blob changes.
set_source_files_properties("${ZEK2_SKIN_SOURCE}" PROPERTIES OBJECT_DEPENDS "${ZEK2_SKIN_BLOB}")

# The unit tests run the generator on bad skin files and read where the skin leaves ink.
function(zek2_wire_skingen_tests)
  if(TARGET zek2_unit_tests)
    target_compile_definitions(zek2_unit_tests PRIVATE ZEK2_SKINGEN_PATH="$<TARGET_FILE:skingen>"
                               ZEK2_SKIN_TEXT="${ZEK2_SKIN_TEXT}" ZEK2_SKIN_INK="${ZEK2_SKIN_INK}")
    add_dependencies(zek2_unit_tests skingen)
  endif()
endfunction()
cmake_language(DEFER CALL zek2_wire_skingen_tests)
