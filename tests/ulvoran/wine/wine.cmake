# The Windows test host of this processor build, run under Wine.
add_executable(ulvoran_wine_test ${CMAKE_CURRENT_LIST_DIR}/ulvoran_wine_test.cpp)
target_include_directories(ulvoran_wine_test PRIVATE ${VELQUOR_JNI_INCLUDES}
  ${VELQUOR_TESTS_DIR}/common)
target_compile_definitions(ulvoran_wine_test PRIVATE _WIN32_WINNT=0x0601)
target_link_libraries(ulvoran_wine_test PRIVATE advapi32)
add_dependencies(ulvoran_wine_test UlvoranLedJNI ulvo_engine_complete
  ulvo_engine_noinit ulvo_engine_noflash)
velquor_wine_test(ulvoran_wine_${VELQUOR_ARCH} ulvoran_wine_test
  $<TARGET_FILE:UlvoranLedJNI> $<TARGET_FILE:ulvo_engine_complete>
  $<TARGET_FILE:ulvo_engine_noinit> $<TARGET_FILE:ulvo_engine_noflash>)

# The forwarding benchmark: ctest runs it only briefly, as a smoke test;
# run it by hand with no counts for the figures.
add_executable(ulvoran_bench ${CMAKE_CURRENT_LIST_DIR}/ulvoran_bench.cpp)
target_include_directories(ulvoran_bench PRIVATE ${VELQUOR_JNI_INCLUDES}
  ${VELQUOR_TESTS_DIR}/common)
target_compile_definitions(ulvoran_bench PRIVATE _WIN32_WINNT=0x0601)
target_link_libraries(ulvoran_bench PRIVATE advapi32)
add_dependencies(ulvoran_bench UlvoranLedJNI ulvo_engine_complete)
velquor_wine_test(ulvoran_bench_smoke_${VELQUOR_ARCH} --measure ulvoran_bench
  $<TARGET_FILE:UlvoranLedJNI> $<TARGET_FILE:ulvo_engine_complete> 1000 3)
