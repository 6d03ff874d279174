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
  add_executable(${prog} wine/${prog}.cpp)
  target_include_directories(${prog} PRIVATE ${VELQUOR_JNI_INCLUDES}
    ${VELQUOR_TESTS_DIR}/common ${CMAKE_CURRENT_LIST_DIR})
  add_dependencies(${prog} Duvek ${DUVEK_VARIANTS})
endforeach()
target_compile_options(duvek_wine_bench PRIVATE -O2)

# Both programs take Duvek.dll and the folder of the variant folders.
velquor_wine_test(duvek_wine duvek_wine_test $<TARGET_FILE:Duvek>
  ${CMAKE_BINARY_DIR}/dvglow)

# duvek_wine_bench is measured by hand, not run as a test:
#   tests/common/wine-run.sh <build>/tests/duvek/duvek_wine_bench.exe \
#     <Duvek.dll> <build>/dvglow
