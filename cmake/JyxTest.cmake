# add_unit_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI] [LABELS l1])
# Registers a GoogleTest executable with CTest. GUI tests get a main() that
# creates a QApplication first (tests/support/QtGTestMain.cpp). Tests run on
# the offscreen platform with a pinned locale, so the same binary still runs
# on a real display when started by hand.
function(add_unit_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_GUI)
    add_executable(${T_NAME} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/QtGTestMain.cpp)
    target_link_libraries(${T_NAME} PRIVATE jyx_options GTest::gtest GTest::gmock Qt6::Widgets Qt6::Test ${T_LIBS})
  else()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE jyx_options GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
  endif()
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
