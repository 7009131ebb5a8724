# Small helpers shared by the CMake files of the project.

# ivra_glob_sources(VAR DIR): every .cpp below DIR, re-globbed on each build so
# that a new file needs no edit of a CMake file.
function(ivra_glob_sources var dir)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.qrc")
  set(${var} ${_files} PARENT_SCOPE)
endfunction()

# ivra_add_gtest(NAME DIR LIBS...): one GoogleTest executable from every .cpp
# in DIR, each case registered with CTest.
function(ivra_add_gtest name dir)
  file(GLOB _files CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT _files)
    return()
  endif()
  add_executable(${name} ${_files})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE IVRA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "IVRA_TEST_DATA_DIR=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# ivra_add_qtest(FILE LIBS...): one QtTest executable from one .cpp, run on the
# offscreen platform so that no display is needed.
function(ivra_add_qtest file)
  get_filename_component(_name ${file} NAME_WE)
  add_executable(${_name} ${file})
  target_link_libraries(${_name} PRIVATE ${ARGN} Qt6::Test)
  target_compile_definitions(${_name} PRIVATE IVRA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  add_test(NAME ${_name} COMMAND ${_name})
  set_tests_properties(${_name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;IVRA_TEST_DATA_DIR=${CMAKE_SOURCE_DIR}/tests/data"
    TIMEOUT 300)
endfunction()
