# The forwarding benchmark of the host build: built always, run by ctest
# only as a short smoke test (the figures come from running it by hand).
if(NOT TARGET benchmark::benchmark)
  return()
endif()
add_executable(ulvoran_bench ${CMAKE_CURRENT_LIST_DIR}/forward_bench.cpp)
target_include_directories(ulvoran_bench PRIVATE ${VELQUOR_JNI_INCLUDES}
  ${VELQUOR_TESTS_DIR}/common)
target_link_libraries(ulvoran_bench PRIVATE benchmark::benchmark hostwin)
target_compile_definitions(ulvoran_bench PRIVATE ${ULVO_PATHS})
add_dependencies(ulvoran_bench UlvoranLedJNI ulvo_engine_complete)
add_test(NAME ulvoran_bench_smoke COMMAND ulvoran_bench --benchmark_min_time=0.001)
set_tests_properties(ulvoran_bench_smoke PROPERTIES LABELS bench TIMEOUT 120)
