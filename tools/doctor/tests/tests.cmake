# The doctor under Wine against the stand-ins: one program runs every
# setup in-process (a ready one and one per kind of finding) and starts the
# doctor itself for its command line, its output and its exit status; the
# JSON reports it keeps are then read by a standard JSON parser.
# What tests/CMakeLists.txt sets in its own scope for its Wine functions.
set(VELQUOR_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests)
set(VELQUOR_WINE_RUN ${VELQUOR_TESTS_DIR}/common/wine-run.sh)
get_property(DOCTOR_SERVICE GLOBAL PROPERTY VELQUOR_TOVRIK_SERVICE64)
get_property(DOCTOR_OTHER_BITNESS GLOBAL PROPERTY VELQUOR_TOVRIK_PEER_SERVICE)
add_executable(doctor_wine_test ${CMAKE_CURRENT_LIST_DIR}/doctor_wine_test.cpp)
target_include_directories(doctor_wine_test PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/common ${CMAKE_SOURCE_DIR}/tests/tovrik/wine
  ${CMAKE_SOURCE_DIR}/tests/ulvoran/wine)
target_link_libraries(doctor_wine_test PRIVATE doctor_core advapi32 user32)
add_dependencies(doctor_wine_test velquor_doctor tovrik_service
  tovrik_service_peer dvglow_complete dvglow_no_querydevice
  ulvo_engine_complete ulvo_engine_noflash)
add_test(NAME doctor_wine_${VELQUOR_ARCH}
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/doctor-wine.sh ${VELQUOR_WINE_RUN}
    $<TARGET_FILE:doctor_wine_test> ${CMAKE_CURRENT_BINARY_DIR}/doctor-reports
    $<TARGET_FILE:velquor_doctor> ${DOCTOR_SERVICE} ${DOCTOR_OTHER_BITNESS}
    $<TARGET_FILE:dvglow_complete> $<TARGET_FILE:dvglow_no_querydevice>
    $<TARGET_FILE:ulvo_engine_complete> $<TARGET_FILE:ulvo_engine_noflash>)
velquor_wine_test_properties(doctor_wine_${VELQUOR_ARCH})
