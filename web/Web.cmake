# The browser build, configured by scripts/build-web with Emscripten: the game
# (vorrel.html), the level editor (edit.html) and the replay page the browser
# test drives (vorrel-web-replay.html), all from the desktop's own sources. The web SDL
# stands in for SDL, SDL_image and SDL_mixer; the few pieces it lacks or does
# differently live in src/platform/web/ in place of their desktop files.
set(WEB_DIR ${CMAKE_SOURCE_DIR}/web)
file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS src/*.cpp)
list(FILTER CORE_SOURCES EXCLUDE REGEX
  "src/(app/main|platform/web/WebMain|gfx/SurfaceFields|platform/Storage|platform/SharedPlay|platform/Display)\\.cpp$")
# The page's "watch the solution" replays a shared level's tape.
list(APPEND CORE_SOURCES tools/common/Tape.cpp)
add_library(vorrel_core STATIC ${CORE_SOURCES})
target_include_directories(vorrel_core PUBLIC src tools)
target_compile_options(vorrel_core PUBLIC -fexceptions
  "SHELL:-include ${CMAKE_SOURCE_DIR}/src/platform/web/WebCompat.h")
set_source_files_properties(src/platform/web/WebImage.cpp PROPERTIES
  INCLUDE_DIRECTORIES ${EMSCRIPTEN_ROOT_PATH}/third_party COMPILE_OPTIONS -Wno-unused-function)

set(WEB_LINK -fexceptions -sALLOW_MEMORY_GROWTH=1 -sFORCE_FILESYSTEM=1 -sMINIFY_HTML=0
  -sEXPORTED_RUNTIME_METHODS=[ccall,FS,callMain] -sENVIRONMENT=web)
# The data the game's and the editor's pages download: the solutions, the
# test and example levels and the notes are no part of it.
set(WEB_PLAYER_DATA
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data"
  "SHELL:--exclude-file *progress.wp*" "SHELL:--exclude-file *.raw"
  "SHELL:--exclude-file *.tape" "SHELL:--exclude-file *.md" "SHELL:--exclude-file */level/test"
  "SHELL:--exclude-file */level/example")

# The game: blocking loops that sleep, so ASYNCIFY. (Ignoring indirect calls
# would save 40 % of the wasm, but the exception trampolines around the
# menus are such calls, and a sleep under them then cannot resume.)
add_executable(vorrel src/platform/web/WebMain.cpp)
set_target_properties(vorrel PROPERTIES SUFFIX .html)
target_link_libraries(vorrel PRIVATE vorrel_core)
target_link_options(vorrel PRIVATE ${WEB_LINK} -lidbfs.js -sASYNCIFY=1
  --shell-file ${WEB_DIR}/shell.html --pre-js ${WEB_DIR}/pre.js --post-js ${WEB_DIR}/post.js -sEXPORTED_FUNCTIONS=[_main,_webCheckCode] -sEXIT_RUNTIME=1
  ${WEB_PLAYER_DATA})
set_property(TARGET vorrel APPEND PROPERTY LINK_DEPENDS ${WEB_DIR}/shell.html ${WEB_DIR}/pre.js ${WEB_DIR}/post.js)
add_custom_command(TARGET vorrel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR} -DNAME=vorrel -P ${WEB_DIR}/StampHashes.cmake VERBATIM)

# The tools' shared code, compiled once for the replay page and the editor.
file(GLOB TOOLS_COMMON_SOURCES CONFIGURE_DEPENDS tools/common/*.cpp)
# Tape.cpp is the game's already; zlib's deflate is the page's (WebDeflate.cpp).
list(FILTER TOOLS_COMMON_SOURCES EXCLUDE REGEX "(PngWrite|SurfacePng|CommandLine|MapOptions|ToolMain|DataFolder|Tape|Deflate)\\.cpp$")
add_library(vorrel_tools STATIC ${TOOLS_COMMON_SOURCES})
target_include_directories(vorrel_tools PUBLIC tools)
target_link_libraries(vorrel_tools PUBLIC vorrel_core)

# The replay page: the tape runner's replay and the renderer's picture over
# the packed data and test tapes, called from the browser test. A replay
# never sleeps (its clock is virtual), so no ASYNCIFY.
add_executable(vorrel-web-replay tools/web/WebReplay.cpp)
set_target_properties(vorrel-web-replay PROPERTIES SUFFIX .html)
target_link_libraries(vorrel-web-replay PRIVATE vorrel_tools)
target_link_options(vorrel-web-replay PRIVATE ${WEB_LINK}
  -sEXPORTED_FUNCTIONS=[_main,_webReplay,_webRender]
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data"
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/tests/tapes@/tapes"
  "SHELL:--exclude-file *progress.wp*" "SHELL:--exclude-file *.raw")

# The level editor: the desktop editor's sources with a main of the page's
# (tools/web/WebEdit.cpp). Its loops sleep like the game's, so ASYNCIFY,
# with room for the test-play's loop inside the editor's.
file(GLOB EDITOR_SOURCES CONFIGURE_DEPENDS tools/editor/*.cpp)
list(FILTER EDITOR_SOURCES EXCLUDE REGEX "tools/editor/main\\.cpp$")
add_executable(vorrel-web-edit tools/web/WebEdit.cpp tools/web/WebDeflate.cpp ${EDITOR_SOURCES})
set_target_properties(vorrel-web-edit PROPERTIES OUTPUT_NAME edit SUFFIX .html)
target_link_libraries(vorrel-web-edit PRIVATE vorrel_tools)
target_link_options(vorrel-web-edit PRIVATE ${WEB_LINK} -lidbfs.js -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
  --shell-file ${WEB_DIR}/edit.html --pre-js ${WEB_DIR}/pre.js
  -sEXPORTED_FUNCTIONS=[_main,_webEditModified,_webEditText,_webEditTextSize,_webEditMessage,_webEditName]
  ${WEB_PLAYER_DATA})
set_property(TARGET vorrel-web-edit APPEND PROPERTY LINK_DEPENDS ${WEB_DIR}/edit.html ${WEB_DIR}/pre.js)
add_custom_command(TARGET vorrel-web-edit POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR} -DNAME=edit -P ${WEB_DIR}/StampHashes.cmake VERBATIM)
