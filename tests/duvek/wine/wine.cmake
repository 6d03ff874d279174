# Windows side of the Duvek tests: the export table, and one test program
# that drives the real Duvek.dll against the stand-in variants of its
# bitness.
velquor_export_test(duvek_exports Duvek
  ${CMAKE_CURRENT_LIST_DIR}/exports_${VELQUOR_ARCH}.txt)

set(DUVEK_VARIANTS dvglow_complete dvglow_no_init dvglow_no_querydevice
  dvglow_no_uninit dvglow_init_87 dvglow_init_m1 dvglow_silent dvglow_other_name)
if(TARGET dvglow_plain_name)
  list(APPEND DUVEK_VARIANTS dvglow_plain_name)
endif()

foreach(prog duvek_wine_test duvek_wine_bench)
  add_executable(${prog} wine/${prog}.cpp wine/wine_paths.cpp)
  target_include_directories(${prog} PRIVATE ${VELQUOR_JNI_INCLUDES}
    ${VELQUOR_TESTS_DIR}/common ${CMAKE_CURRENT_LIST_DIR})
  add_dependencies(${prog} Duvek ${DUVEK_VARIANTS})
endforeach()
target_compile_options(duvek_wine_bench PRIVATE -O2)

# The programs find Duvek.dll and the variant folders through the
# environment; Wine passes it on.
set(DUVEK_WINE_ENV "DUVEK_DLL=$<TARGET_FILE:Duvek>;DVGLOW_ROOT=${CMAKE_BINARY_DIR}/dvglow")
velquor_wine_test(duvek_wine duvek_wine_test)
set_tests_properties(duvek_wine PROPERTIES ENVIRONMENT "${DUVEK_WINE_ENV}")

# duvek_wine_bench is measured by hand, not run as a test:
#   DUVEK_DLL=<Duvek.dll> DVGLOW_ROOT=<build>/dvglow \
#     tests/common/wine-run.sh <build>/tests/duvek/duvek_wine_bench.exe
