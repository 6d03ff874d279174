# Windows side: the stand-in service, the test host and the benchmark; all
# 32-bit, like the DLL.
if(NOT TARGET Tovrik)
  return()
endif()
set(TOVRIK_WINE_DIR ${CMAKE_CURRENT_LIST_DIR})
add_executable(tovrik_service ${TOVRIK_WINE_DIR}/tovrik_service.cpp)
target_link_libraries(tovrik_service PRIVATE user32 kernel32)

add_executable(tovrik_wine_test ${TOVRIK_WINE_DIR}/tovrik_wine_test.cpp)
target_include_directories(tovrik_wine_test PRIVATE ${TOVRIK_WINE_DIR}
  ${VELQUOR_TESTS_DIR}/common ${VELQUOR_JNI_INCLUDES})
target_link_libraries(tovrik_wine_test PRIVATE user32 kernel32)
add_dependencies(tovrik_wine_test Tovrik tovrik_service)

velquor_export_test(tovrik_exports Tovrik ${TOVRIK_WINE_DIR}/expected-exports.txt)
velquor_wine_test(tovrik_wine tovrik_wine_test
  ${VELQUOR_DIST_DIR}/Tovrik.dll $<TARGET_FILE:tovrik_service>)

# Measures, not a test: run it by hand under Wine.
add_executable(tovrik_wine_bench ${TOVRIK_WINE_DIR}/tovrik_wine_bench.cpp)
target_include_directories(tovrik_wine_bench PRIVATE ${TOVRIK_WINE_DIR}
  ${VELQUOR_TESTS_DIR}/common
  ${VELQUOR_JNI_INCLUDES})
target_link_libraries(tovrik_wine_bench PRIVATE user32 kernel32)
