# Wine tests of the virtual keyboards: the default session played through
# this build's libraries against them on a private X server, each window's
# screenshots checked; and the engine's registration command.
set(VIRTUAL_TESTS ${CMAKE_CURRENT_LIST_DIR})
# What tests/CMakeLists.txt sets in its own scope for its Wine functions.
set(VELQUOR_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests)
set(VELQUOR_WINE_RUN ${VELQUOR_TESTS_DIR}/common/wine-run.sh)

add_executable(virtual_check ${VIRTUAL_TESTS}/virtual_check.cpp)
target_include_directories(virtual_check PRIVATE ${VELQUOR_TESTS_DIR}/common)
target_link_libraries(virtual_check PRIVATE preview_core)

# The x64 run's screenshots are the ones the preview's page shows.
add_test(NAME virtual_session_${VELQUOR_ARCH}
  COMMAND ${VIRTUAL_TESTS}/virtual-session.sh ${CMAKE_CURRENT_BINARY_DIR}/run
    $<TARGET_FILE:virtual_check>
    ${CMAKE_SOURCE_DIR}/tools/preview/sessions/default.session
    ${CMAKE_BINARY_DIR}/virtual-shots
    -- $<TARGET_FILE:preview_player>
    --tovrik $<TARGET_FILE:Tovrik> --duvek $<TARGET_FILE:Duvek>
    --ulvoran $<TARGET_FILE:UlvoranLedJNI>
    --service $<TARGET_FILE:virtual_service>
    --engine $<TARGET_FILE:virtual_engine>
    --glow $<TARGET_FILE:virtual_glow>)
velquor_wine_test_properties(virtual_session_${VELQUOR_ARCH})

add_executable(virtual_setup_test ${VIRTUAL_TESTS}/setup_test.cpp)
target_include_directories(virtual_setup_test PRIVATE ${VELQUOR_TESTS_DIR}/common
  ${VELQUOR_TESTS_DIR}/ulvoran/wine)
target_link_libraries(virtual_setup_test PRIVATE advapi32)
add_dependencies(virtual_setup_test virtual_engine_setup virtual_engine)
# Each step runs the 32-bit setup command as a process of its own.
velquor_wine_test(virtual_setup_${VELQUOR_ARCH} --many-processes virtual_setup_test
  $<TARGET_FILE:virtual_engine_setup>)

# Exactly the vendor's entry points, and only system DLLs imported.
velquor_export_test(virtual_glow_exports virtual_glow ${VIRTUAL_TESTS}/glow_exports.txt)
velquor_export_test(virtual_engine_exports virtual_engine ${VIRTUAL_TESTS}/engine_exports.txt)
