# tovrin_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [QT])
# Makes one test program and registers it with CTest. Without QT it links GoogleTest's main;
# with QT it links Qt Test and runs on the offscreen platform.
function(tovrin_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovrin_test_support)
  target_compile_definitions(${name} PRIVATE
    TOVRIN_APP_DIR="${TOVRIN_APP_DIR}"
    TOVRIN_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(T_QT)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(T_QT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
