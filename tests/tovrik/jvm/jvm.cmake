# The Tovrik controller on a real JVM, beside the test-only probe library.
velquor_jvm_test(tovrik_jvm
  CLASS eu.velquor.mod.manager.keyboard.tests.TovrikControllerTest
  LIBDIRS $<TARGET_FILE_DIR:Tovrik> $<TARGET_FILE_DIR:tovrik_jvm_probe>)
