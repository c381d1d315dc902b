# The same commit gives the same executable bytes in any folder at any time: no link time in the
# PE header, and no build folder in the debug information or in __FILE__.
add_compile_options("$<${TIREMOLA_GNU_COMPILE}:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=;-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
add_link_options("$<${TIREMOLA_GNU_LINK}:-Wl,--no-insert-timestamp>")
