# Unity builds: each target's sources are compiled in batches, one compiler run per batch,
# so that the headers every file includes (the runtime's API, the standard library,
# GoogleTest) are parsed once per batch instead of once per file. Files built with flags of
# their own (the raster loops, the stage generator under the sanitizers) stay out of the
# batches by themselves. The files below stay out too: they define file-local helpers under
# the same names as files they would share a batch with.
set(UNITY_SOLO_SOURCES
  bench/runtime/softrender/softrender_bench.cpp
  bench/runtime/softrender/transform_bench.cpp
  game/editor/editor_screen.cpp
  game/editor/stage_file.cpp
  game/editor/stage_slot_screen.cpp
  game/editor/vr_menu.cpp
  game/editor/vr_result.cpp
  game/mission/effects.cpp
  game/mission/enemy_sight.cpp
  game/mission/infantry.cpp
  game/mission/machines.cpp
  game/mission/map_objects.cpp
  game/mission/mission_frame.cpp
  game/mission/pause_menu.cpp
  game/mission/player_movement.cpp
  game/mission/player_sprite.cpp
  game/mission/shots.cpp
  game/mission/weapons.cpp
  game/shell/mission_briefing.cpp
  game/shell/new_game_setup.cpp
  game/shell/options_screen.cpp
  game/shell/save_select.cpp
  game/shell/title_screens.cpp
  runtime/core/window_proc.cpp
  runtime/file/stream_table.cpp
  runtime/font/glyph_blit.cpp
  runtime/font/glyph_render.cpp
  runtime/image/bmp_loader.cpp
  runtime/image/convert_blt.cpp
  runtime/image/dds_loader.cpp
  runtime/softrender/blit_stretch.cpp
  tests/game/mission/campaign_talk_test.cpp
  tests/game/mission/infantry_test.cpp
  tests/game/mission/machines_test.cpp
  tests/game/mission/map_hazards_test.cpp
  tests/game/mission/player_modes_test.cpp
  tests/game/mission/player_movement_test.cpp
  tests/game/mission/route_mechanics_walk_test.cpp
  tests/game/mission/weapons_test.cpp
  tests/runtime/display/device_shapes_test.cpp
  tests/runtime/display/direct3d_draw_test.cpp
  tests/runtime/display/draw_primitives_test.cpp
  tests/runtime/display/gl_lost_device_test.cpp
  tests/runtime/font/golden_text_test.cpp
  tests/runtime/font/string_test.cpp
  tests/runtime/input/mouse_button_latch_test.cpp
  tests/runtime/softrender/transform_raster_test.cpp
  tests/runtime/sound/stream_sound_test.cpp
  tools/dataset/enemy_art.cpp
  tools/dataset/player_art.cpp
  tools/dataset/sound_synth.cpp
)

function(collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    collect_targets(${subdir} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Marks the listed files of every target in the project as built alone.
function(keep_solo_sources_out_of_batches)
  collect_targets(${PROJECT_SOURCE_DIR} targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE path)
      cmake_path(RELATIVE_PATH path BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
      if(relative IN_LIST UNITY_SOLO_SOURCES)
        set_property(SOURCE ${path} TARGET_DIRECTORY ${target} PROPERTY SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
  endforeach()
endfunction()
