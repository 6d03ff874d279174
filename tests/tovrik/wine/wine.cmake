# Windows side: the stand-in service, the test host and the benchmark.
set(TOVRIK_WINE_DIR ${CMAKE_CURRENT_LIST_DIR})
add_executable(tovrik_service ${TOVRIK_WINE_DIR}/tovrik_service.cpp)
target_link_libraries(tovrik_service PRIVATE user32 kernel32)

add_executable(tovrik_wine_test ${TOVRIK_WINE_DIR}/tovrik_wine_test.cpp)
target_include_directories(tovrik_wine_test PRIVATE ${TOVRIK_WINE_DIR}
  ${VELQUOR_TESTS_DIR}/common ${VELQUOR_JNI_INCLUDES})
target_link_libraries(tovrik_wine_test PRIVATE user32 kernel32)
add_dependencies(tovrik_wine_test Tovrik tovrik_service)

if(VELQUOR_ARCH STREQUAL "x86")
  velquor_export_test(tovrik_exports Tovrik ${TOVRIK_WINE_DIR}/expected-exports.txt)
  velquor_wine_test(tovrik_wine tovrik_wine_test
    ${VELQUOR_DIST_DIR}/Tovrik.dll $<TARGET_FILE:tovrik_service>)
endif()
