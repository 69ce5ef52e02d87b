# tovrin_native_path(VAR path): the path as the test programs' host reads it. A Windows build
# run by wine reaches the build machine's files through drive Z: (cmd.exe would read a path
# that begins with "/" as a switch).
function(tovrin_native_path var path)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(path "Z:${path}")
  endif()
  set(${var} "${path}" PARENT_SCOPE)
endfunction()

tovrin_native_path(TOVRIN_TEST_APP_DIR "${TOVRIN_APP_DIR}")
tovrin_native_path(TOVRIN_TEST_DATA_DIR "${PROJECT_SOURCE_DIR}/tests/data")

# tovrin_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [QT])
# Makes one test program and registers it with CTest. Without QT it links GoogleTest's main;
# with QT it links Qt Test and runs on the offscreen platform.
function(tovrin_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovrin_test_support)
  target_compile_definitions(${name} PRIVATE
    TOVRIN_APP_DIR="${TOVRIN_TEST_APP_DIR}"
    TOVRIN_TEST_DATA_DIR="${TOVRIN_TEST_DATA_DIR}")
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
