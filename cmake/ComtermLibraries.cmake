# The program's libraries, each listing its own sources in its CMakeLists.txt. The program's build
# and the fuzz build both add them from here, so a source is named in one place only.
# Expects comterm_cp1251_literals(target) and COMTERM_WINDOW_LAYER (qt, win32 or none).
set(comterm_src ${CMAKE_CURRENT_LIST_DIR}/../src)
foreach(part shared ui storage serial terminal)
    add_subdirectory(${comterm_src}/${part} ${CMAKE_BINARY_DIR}/src/${part})
endforeach()
