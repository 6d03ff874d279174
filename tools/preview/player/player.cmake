# The Windows side: the session player (both processor builds).
add_executable(preview_player
  player/player_main.cpp player/jni_call.cpp player/platform.cpp
  player/bench.cpp)
target_include_directories(preview_player PRIVATE player ${VELQUOR_JNI_INCLUDES})
target_link_libraries(preview_player PRIVATE preview_core user32 advapi32)

# Where the preview command finds the player and the stand-ins of this
# build: a shell fragment with one variable per piece (empty when absent).
set(_paths "player=$<TARGET_FILE:preview_player>\n")
foreach(piece tovrik_service dvglow_complete ulvo_engine_complete)
  if(TARGET ${piece})
    string(APPEND _paths "${piece}=$<TARGET_FILE:${piece}>\n")
  else()
    string(APPEND _paths "${piece}=\n")
  endif()
endforeach()
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/preview-paths.sh CONTENT "${_paths}")
