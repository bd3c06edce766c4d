# SPDX-License-Identifier: GPL-3.0-or-later
# The browser build (emcmake; see tools/web/build.sh): the same game library over SDL2 compiled to WebAssembly,
# laid out with its page in ${CMAKE_BINARY_DIR}/play/. The picture pack, songs and generated sources come from a
# native build (GW_NATIVE_BUILD), whose tools cannot run here; the libraries from GW_WEB_DEPS
# (tools/web/build-deps.sh).
set(GW_NATIVE_BUILD "" CACHE PATH "Native build folder that made the game folder and the generated sources")
set(GW_WEB_DEPS "" CACHE PATH "Prefix of the libraries built for the web")
set(GW_WEB_FONT /usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf CACHE FILEPATH
    "The face the Linux build finds through fontconfig (Debian's fonts-comfortaa)")
foreach(var GW_NATIVE_BUILD GW_WEB_DEPS)
  if(NOT IS_DIRECTORY "${${var}}")
    message(FATAL_ERROR "${var} must name a folder (see tools/web/build.sh)")
  endif()
endforeach()
list(PREPEND CMAKE_FIND_ROOT_PATH ${GW_WEB_DEPS})

set(GW_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
set(GW_PROGRAM gromwumbler)
set(GW_DATA_FROM_PROGRAM .)
configure_file(dist/linux/BuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/app/BuildInfo.h @ONLY)

set(GW_PLAY_DIR ${CMAKE_BINARY_DIR}/play)
# Play must not depend on the compiler's choices: no contraction of a*b+c into one rounding.
add_compile_options(-ffp-contract=off)
# Its C++ library lacks std::bit_cast, which that arithmetic uses.
add_compile_options("SHELL:-include ${PROJECT_SOURCE_DIR}/src/platform/web/BitCast.h")
# The game reports failures by exceptions (a damaged file, a refused request): the page must catch them too.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

set(GW_DEPS_INCLUDE ${GW_WEB_DEPS}/include ${GW_WEB_DEPS}/include/SDL2 ${GW_WEB_DEPS}/include/freetype2)
set(GW_DEPS_LIBS ${GW_WEB_DEPS}/lib/libSDL2_mixer.a ${GW_WEB_DEPS}/lib/libSDL2.a ${GW_WEB_DEPS}/lib/libxmp.a
    ${GW_WEB_DEPS}/lib/libfreetype.a ${GW_WEB_DEPS}/lib/libz.a)

file(GLOB GW_CORE_SOURCES CONFIGURE_DEPENDS
  src/app/*.cpp src/game/*.cpp src/gfx/*.cpp src/ui/*.cpp src/store/*.cpp
  src/audio/*.cpp src/net/*.cpp src/platform/*.cpp src/platform/posix/*.cpp)
# The page has neither fontconfig nor libcurl: the font comes preloaded and the browser's fetch carries the score
# exchange (src/platform/web).
list(REMOVE_ITEM GW_CORE_SOURCES ${PROJECT_SOURCE_DIR}/src/net/HttpClient.cpp)
set(GW_SCORE_RECORD_SOURCES ${PROJECT_SOURCE_DIR}/src/net/ScoreCodec.cpp ${PROJECT_SOURCE_DIR}/src/net/ScoreRecord.cpp
  ${PROJECT_SOURCE_DIR}/src/gfx/Cp1251.cpp)
add_library(gw_core STATIC ${GW_CORE_SOURCES}
  ${GW_NATIVE_BUILD}/generated/audio/EffectBank.cpp ${GW_NATIVE_BUILD}/generated/platform/WindowIcon.cpp)
target_include_directories(gw_core PUBLIC src ${CMAKE_BINARY_DIR}/generated ${GW_DEPS_INCLUDE})
target_compile_options(gw_core PRIVATE ${GW_WARNINGS})
target_compile_definitions(gw_core PRIVATE GW_SCORE_HOST="${GW_SCORE_HOST}" GW_SCORE_KEY="${GW_SCORE_KEY}")

file(GLOB GW_SDL_SOURCES CONFIGURE_DEPENDS src/platform/sdl/*.cpp src/platform/web/*.cpp)
# The canvas is the page's display (src/platform/web/CanvasPresenter.cpp): no GPU to choose.
list(REMOVE_ITEM GW_SDL_SOURCES ${PROJECT_SOURCE_DIR}/src/platform/sdl/PresenterChoice.cpp)
add_executable(gromwumbler ${GW_SDL_SOURCES})
# SDL's headers include emscripten's inside their extern "C" block, where its C++ part does not compile; seen
# first, it is not read again there.
target_compile_options(gromwumbler PRIVATE ${GW_WARNINGS} -include emscripten.h)
target_link_libraries(gromwumbler PRIVATE gw_core ${GW_DEPS_LIBS})
set_target_properties(gromwumbler PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/link SUFFIX .js)

set(GW_WEB_SHELL ${PROJECT_SOURCE_DIR}/src/platform/web/page)
set(GW_WEB_LINK
  # The game's code may pause (a wait, a sleep, the score exchange's fetch) while the page runs on.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=64MB
  -sENVIRONMENT=web -sEXIT_RUNTIME=0 -sFORCE_FILESYSTEM -lidbfs.js
  "-sEXPORTED_FUNCTIONS=_main,_malloc,_free,_gw_touch_typed" "-sEXPORTED_RUNTIME_METHODS=FS,IDBFS,dynCall,ccall" -sDYNCALLS=1
  "SHELL:--pre-js ${GW_WEB_SHELL}/pre.js"
  "SHELL:--preload-file ${GW_NATIVE_BUILD}/game/Data/Data.pp@/game/Data/Data.pp"
  "SHELL:--preload-file ${GW_NATIVE_BUILD}/game/sound@/game/sound"
  "SHELL:--preload-file ${GW_NATIVE_BUILD}/game/moregames.url@/game/moregames.url"
  "SHELL:--preload-file ${GW_WEB_FONT}@/game/font/Comfortaa-Regular.ttf")
target_link_options(gromwumbler PRIVATE ${GW_WEB_LINK})
set_property(TARGET gromwumbler APPEND PROPERTY LINK_DEPENDS ${GW_WEB_SHELL}/pre.js
  ${GW_NATIVE_BUILD}/game/Data/Data.pp ${GW_WEB_SHELL}/index.html ${GW_WEB_SHELL}/page.js ${GW_WEB_SHELL}/page.css)

# The page around the game, and every file named by its content, compressed beforehand.
add_custom_command(TARGET gromwumbler POST_BUILD
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/web/stage.py ${CMAKE_BINARY_DIR}/link ${GW_WEB_SHELL} ${GW_PLAY_DIR}
  COMMENT "Laying out the page in ${GW_PLAY_DIR}"
  VERBATIM)

# The core's replay of recorded games as this build compiles it, run by node (the test compares its outcomes with
# every other build's): files are read from the machine's own file system.
add_executable(gw_replay_check tests/web/ReplayCheck.cpp)
target_compile_options(gw_replay_check PRIVATE ${GW_WARNINGS})
target_link_libraries(gw_replay_check PRIVATE gw_core ${GW_WEB_DEPS}/lib/libfreetype.a ${GW_WEB_DEPS}/lib/libz.a)
# One file: this node has a fetch of its own, which the loader would try on a file path.
target_link_options(gw_replay_check PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH -sSINGLE_FILE=1)
