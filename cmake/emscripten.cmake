# WebAssembly for the page (web/), with Debian's emscripten. Its own platform
# file sets the compilers, the sysroot and the target; this file only adds
# what the Debian packages need besides.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# emcc runs its JavaScript optimiser under node and requires acorn from
# Debian's node-acorn, which lives under /usr/share/nodejs: Debian's own node
# looks there, a node from elsewhere (nodesource) does not. Linking names the
# folder either way.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
