# The Windows side: the session player (both processor builds).
add_executable(preview_player
  player/player_main.cpp player/jni_call.cpp player/platform.cpp
  player/bench.cpp)
target_include_directories(preview_player PRIVATE player ${VELQUOR_JNI_INCLUDES}
  ${CMAKE_SOURCE_DIR}/tests/common)
target_link_libraries(preview_player PRIVATE preview_core user32 advapi32)

# Where the preview command finds the player and the stand-ins of this
# build: a shell fragment with one variable per piece (empty when absent),
# and one target, preview_pieces, that builds them all.  The Tovrik service
# is the 64-bit one in both builds.
set(_paths "player=$<TARGET_FILE:preview_player>\n")
set(_pieces preview_player)
set(_service "")
if(TARGET tovrik_service AND VELQUOR_ARCH STREQUAL x86)
  get_target_property(_service tovrik_service_peer OUTPUT)
  list(APPEND _pieces tovrik_service_peer)
elseif(TARGET tovrik_service)
  set(_service $<TARGET_FILE:tovrik_service>)
  list(APPEND _pieces tovrik_service)
endif()
string(APPEND _paths "tovrik_service=${_service}\n")
foreach(piece dvglow_complete ulvo_engine_complete)
  if(TARGET ${piece})
    string(APPEND _paths "${piece}=$<TARGET_FILE:${piece}>\n")
    list(APPEND _pieces ${piece})
  else()
    string(APPEND _paths "${piece}=\n")
  endif()
endforeach()
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/preview-paths.sh CONTENT "${_paths}")
add_custom_target(preview_pieces)
add_dependencies(preview_pieces ${_pieces})

# The Wine end-to-end tests: the default session and the bar-edge session
# played through the real DLLs and checked from the stand-ins' logs.  They
# need the libraries and stand-ins of this build.
if(BUILD_TESTING)
  add_executable(preview_wine_check tests/wine_check.cpp)
  target_include_directories(preview_wine_check PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  target_link_libraries(preview_wine_check PRIVATE preview_core)
  set(_e2e ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine-e2e.sh)
  set(_runs ${CMAKE_CURRENT_BINARY_DIR}/wine-runs)
  set(_play $<TARGET_FILE:preview_player>
    --tovrik $<TARGET_FILE:Tovrik> --duvek $<TARGET_FILE:Duvek>
    --ulvoran $<TARGET_FILE:UlvoranLedJNI>
    --service ${_service}
    --engine $<TARGET_FILE:ulvo_engine_complete>
    --dvglow $<TARGET_FILE:dvglow_complete>)
  # The 32-bit player runs as this machine can run 32-bit programs (or is
  # skipped); the 64-bit one goes straight to Wine's 64-bit loader.  The
  # default session's overlapping flashes run many threads at once, which
  # emulated 32-bit Wine does not survive reliably.
  foreach(session default bars)
    set(_runner "")
    if(session STREQUAL default)
      set(_file ${CMAKE_CURRENT_SOURCE_DIR}/sessions/default.session)
      if(VELQUOR_ARCH STREQUAL x86)
        set(_runner ${CMAKE_SOURCE_DIR}/tests/common/wine-run.sh --stress --32)
      endif()
    else()
      set(_file ${CMAKE_CURRENT_SOURCE_DIR}/tests/bars.session)
      if(VELQUOR_ARCH STREQUAL x86)
        set(_runner ${CMAKE_SOURCE_DIR}/tests/common/wine-run.sh --32)
      endif()
    endif()
    set(_name preview_e2e_${session}_${VELQUOR_ARCH})
    add_test(NAME ${_name}
      COMMAND ${_runner} ${_e2e} ${_runs}/${session}
        $<TARGET_FILE:preview_wine_check> ${_file} -- ${_play})
    set_tests_properties(${_name} PROPERTIES
      LABELS wine RUN_SERIAL TRUE TIMEOUT 900 SKIP_RETURN_CODE 77)
  endforeach()
endif()
