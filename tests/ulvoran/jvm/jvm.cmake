# UlvoranLedJNI through a real JVM: the product library, the stand-in
# engine, and a test-only library that fills the registry and reads the
# engine's records.
add_library(ulvo_jvm_support SHARED
  ${CMAKE_CURRENT_LIST_DIR}/ulvo_jvm_support.cpp)
target_include_directories(ulvo_jvm_support PRIVATE ${VELQUOR_JNI_INCLUDES}
  ${VELQUOR_TESTS_DIR}/common)
target_link_libraries(ulvo_jvm_support PRIVATE hostwin)
target_compile_definitions(ulvo_jvm_support PRIVATE
  ULVO_ENGINE_COMPLETE="$<TARGET_FILE:ulvo_engine_complete>")
add_dependencies(ulvo_jvm_support ulvo_engine_complete UlvoranLedJNI)
add_dependencies(jvm_classes ulvo_jvm_support)

velquor_jvm_test(ulvoran_jvm CLASS com.ulvoran.gaming.UlvoLEDTest
  LIBDIRS $<TARGET_FILE_DIR:UlvoranLedJNI>)
