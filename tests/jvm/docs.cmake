# JAVA.md shows the host's native declarations: the same as those compiled
# here.
velquor_jvm_test(java_declarations_doc
  CLASS eu.velquor.mod.manager.keyboard.tests.DocumentedDeclarationsTest)
set_tests_properties(java_declarations_doc PROPERTIES
  ENVIRONMENT VELQUOR_SOURCE_DIR=${CMAKE_SOURCE_DIR})
