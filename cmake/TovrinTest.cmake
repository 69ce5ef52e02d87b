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
  # A Windows test program finds the crypto libraries' DLLs beside it, as the programs of the
  # application folder do.
  if(TOVRIN_RUNTIME_DLLS)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TOVRIN_RUNTIME_DLLS} $<TARGET_FILE_DIR:${name}>)
  endif()
  if(T_QT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# tovrin_add_code_page_runs(NAME): on the Windows build run by wine, runs the test program's
# tests of rules about characters (named *LocalCharacters*) again with the double-byte ANSI code
# pages of simplified Chinese (936) and Japanese (932), which wine takes from the locale.
function(tovrin_add_code_page_runs name)
  if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
  endif()
  foreach(run "936;zh_CN.UTF-8" "932;ja_JP.UTF-8")
    list(GET run 0 code_page)
    list(GET run 1 locale)
    add_test(NAME ${name}_cp${code_page} COMMAND ${name} --gtest_filter=*LocalCharacters*)
    set_tests_properties(${name}_cp${code_page} PROPERTIES
      ENVIRONMENT "LC_ALL=${locale};TOVRIN_EXPECTED_CODE_PAGE=${code_page}")
  endforeach()
endfunction()
