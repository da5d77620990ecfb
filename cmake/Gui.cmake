# The view layer (gui/): a static library on cairo, pango and X11 that zek2core links. The unit
# tests use it off-screen, without a display.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZEK2_GUI_DEPS REQUIRED IMPORTED_TARGET cairo cairo-xlib pangocairo x11)

file(GLOB ZEK2_GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/gui/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/gui/backend/*.cpp)
add_library(zek2gui STATIC ${ZEK2_GUI_SOURCES})
target_include_directories(zek2gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(zek2gui PRIVATE ${ZEK2_WARNINGS})
# The window-system headers stay private to the library; its users see only gui/*.h.
target_link_libraries(zek2gui PRIVATE PkgConfig::ZEK2_GUI_DEPS)
target_link_libraries(zek2gui INTERFACE $<LINK_ONLY:PkgConfig::ZEK2_GUI_DEPS>)
