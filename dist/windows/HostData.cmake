# SPDX-License-Identifier: GPL-3.0-or-later
# What the generators make is the same for every system, so the Windows build takes it from the Linux build of the
# same sources (GW_HOST_BUILD) instead of running generators it cannot run: the picture pack, the songs, the
# effects and the icons.
if(NOT GW_HOST_BUILD OR NOT EXISTS ${GW_HOST_BUILD}/game/Data/Data.pp)
  message(FATAL_ERROR "GW_HOST_BUILD must name a finished Linux build of these sources (build/)")
endif()
set(GW_HOST_DATA Data/Data.pp sound/1.xm sound/2.xm)
set(GW_HOST_COPIES "")
foreach(file ${GW_HOST_DATA})
  add_custom_command(OUTPUT ${GW_GAME_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${GW_HOST_BUILD}/game/${file} ${GW_GAME_DIR}/${file}
    DEPENDS ${GW_HOST_BUILD}/game/${file})
  list(APPEND GW_HOST_COPIES ${GW_GAME_DIR}/${file})
  list(APPEND GW_DATA_FILES ${GW_GAME_DIR}/${file})
endforeach()
add_custom_target(gw_host_data DEPENDS ${GW_HOST_COPIES})
list(APPEND GW_DATA_TARGETS gw_host_data)
list(APPEND GW_GENERATED_SOURCES ${GW_HOST_BUILD}/generated/audio/EffectBank.cpp
  ${GW_HOST_BUILD}/generated/platform/WindowIcon.cpp)
set(GW_ICON_DIR ${GW_HOST_BUILD}/icons)
