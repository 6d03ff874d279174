# Duvek on a real JVM, once per stand-in variant of the effect library.
foreach(variant none dvglow_complete dvglow_init_m1 dvglow_no_uninit)
  velquor_jvm_test(duvek_jvm_${variant}
    CLASS eu.velquor.mod.manager.keyboard.DuvekControllerTest
    LIBDIRS $<TARGET_FILE_DIR:Duvek> ${CMAKE_BINARY_DIR}/dvglow/${variant})
  set_tests_properties(duvek_jvm_${variant} PROPERTIES
    ENVIRONMENT DVGLOW_VARIANT=${variant})
endforeach()
