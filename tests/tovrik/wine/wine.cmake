# Windows side: the stand-in service in both bitnesses, the test host and
# the benchmark in the DLL's.
set(TOVRIK_WINE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TOVRIK_STANDIN_DIR ${CMAKE_CURRENT_LIST_DIR}/../standin)
set(TOVRIK_SERVICE_SOURCES ${TOVRIK_STANDIN_DIR}/tovrik_service.cpp
  ${TOVRIK_STANDIN_DIR}/service_win.cpp)
add_executable(tovrik_service ${TOVRIK_SERVICE_SOURCES})
target_link_libraries(tovrik_service PRIVATE user32 kernel32)
velquor_peer_program(tovrik_service_peer SOURCES ${TOVRIK_SERVICE_SOURCES}
  HEADERS ${TOVRIK_STANDIN_DIR}/tovrik_service.h
    ${TOVRIK_STANDIN_DIR}/talk_service.h ${VELQUOR_TESTS_DIR}/common/win_support.h
  LIBS user32)

# The service every case talks to is 64-bit in both builds: a 32-bit library
# beside a 64-bit service is the common case on real machines, and 64-bit
# programs start fast everywhere.  The other pairing gets a few cases.
get_target_property(TOVRIK_PEER_SERVICE tovrik_service_peer OUTPUT)
if(VELQUOR_ARCH STREQUAL x86)
  set(TOVRIK_SERVICE64 ${TOVRIK_PEER_SERVICE})
else()
  set(TOVRIK_SERVICE64 $<TARGET_FILE:tovrik_service>)
endif()

# For the doctor's Wine test, which talks to the same services.
set_property(GLOBAL PROPERTY VELQUOR_TOVRIK_SERVICE64 ${TOVRIK_SERVICE64})
set_property(GLOBAL PROPERTY VELQUOR_TOVRIK_PEER_SERVICE ${TOVRIK_PEER_SERVICE})

add_executable(tovrik_wine_test ${TOVRIK_WINE_DIR}/tovrik_wine_test.cpp)
target_include_directories(tovrik_wine_test PRIVATE ${TOVRIK_WINE_DIR}
  ${TOVRIK_STANDIN_DIR} ${VELQUOR_TESTS_DIR}/common ${VELQUOR_JNI_INCLUDES})
target_link_libraries(tovrik_wine_test PRIVATE user32 kernel32)
add_dependencies(tovrik_wine_test Tovrik tovrik_service tovrik_service_peer)

velquor_export_test(tovrik_exports Tovrik ${TOVRIK_WINE_DIR}/exports_${VELQUOR_ARCH}.txt)
velquor_wine_test(tovrik_wine tovrik_wine_test
  $<TARGET_FILE:Tovrik> ${TOVRIK_SERVICE64})
if(VELQUOR_ARCH STREQUAL x64)
  velquor_wine_test(tovrik_wine_service32 --32 tovrik_wine_test
    $<TARGET_FILE:Tovrik> ${TOVRIK_PEER_SERVICE} discover_potion_then_init_takes_over)
endif()

# Measures, not a test: run it by hand under Wine.
add_executable(tovrik_wine_bench ${TOVRIK_WINE_DIR}/tovrik_wine_bench.cpp)
target_include_directories(tovrik_wine_bench PRIVATE ${TOVRIK_WINE_DIR}
  ${TOVRIK_STANDIN_DIR} ${VELQUOR_TESTS_DIR}/common
  ${VELQUOR_JNI_INCLUDES})
target_link_libraries(tovrik_wine_bench PRIVATE user32 kernel32)
