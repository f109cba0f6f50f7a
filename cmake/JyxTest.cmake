# add_unit_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1])
# Registers a GoogleTest executable with CTest. Tests run on the offscreen
# platform with a pinned locale and their own HOME, so the same binary still
# runs on a real display when started by hand.
function(add_unit_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE jyx_options GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    JYX_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    JYX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    JYX_PROGRAM_DIR="${JYX_PROGRAM_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;FONTCONFIG_FILE=${JYX_PROGRAM_DIR}/fonts/fonts.conf"
    TIMEOUT 600)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
