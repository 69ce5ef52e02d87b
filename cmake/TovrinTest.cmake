# tovrin_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [QT] [GTEST])
# Makes one test program and registers it with CTest. GTEST links GoogleTest's main;
# QT links Qt Test and runs the program on the offscreen platform.
find_package(GTest REQUIRED)

function(tovrin_add_test name)
  cmake_parse_arguments(T "QT;GTEST" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    TOVRIN_APP_DIR="${TOVRIN_APP_DIR}"
    TOVRIN_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    TOVRIN_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  if(T_GTEST)
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  endif()
  if(T_QT)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(T_QT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
