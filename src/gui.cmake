# The Qt layers: engine, charts, windows, and the program itself.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Charts Svg PrintSupport)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

# The raster and layer engine on Qt Gui/Widgets.
ivra_glob_sources(IVRA_ENGINE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/engine)
if(NOT IVRA_ENGINE_SOURCES)
  return()
endif()
add_library(ivra_engine STATIC ${IVRA_ENGINE_SOURCES})
target_include_directories(ivra_engine PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(ivra_engine PUBLIC ivra_core Qt6::Widgets)
set_target_properties(ivra_engine PROPERTIES AUTOMOC ON AUTORCC ON)

# Chart widgets on Qt Charts.
ivra_glob_sources(IVRA_CHART_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/chart)
if(IVRA_CHART_SOURCES)
  add_library(ivra_chart STATIC ${IVRA_CHART_SOURCES})
  target_link_libraries(ivra_chart PUBLIC ivra_engine Qt6::Charts)
  set_target_properties(ivra_chart PROPERTIES AUTOMOC ON)
endif()

# Window services shared by every window: the one door for questions, the
# error guard, busy handling, icons, hints, small controls, the drawing state,
# the command and tool registries and the shell's narrow interface.
ivra_glob_sources(IVRA_SERVICES_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/services)
add_library(ivra_services STATIC ${IVRA_SERVICES_SOURCES})
target_link_libraries(ivra_services PUBLIC ivra_engine Qt6::Widgets Qt6::Svg Qt6::PrintSupport)
set_target_properties(ivra_services PROPERTIES AUTOMOC ON AUTORCC ON)
# The installed program finds its data folder relative to its own location.
target_compile_definitions(ivra_services PRIVATE IVRA_VERSION="${PROJECT_VERSION}"
  IVRA_DATA_FROM_BIN="${IVRA_DATA_FROM_BIN}")

# The windows and commands, one library per folder, each linking only the
# layers below it, so that a folder calling up into a layer above it fails to
# link (tests/layers/check_includes.sh checks the includes):
#   services <- imagewin <- measure, processing <- analysis (with the charts);
#   services <- notepad; all of them <- app (the shell).
ivra_glob_sources(IVRA_IMAGEWIN_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imagewin)
if(NOT IVRA_IMAGEWIN_SOURCES)
  return()
endif()
function(ivra_window_library name folder)
  ivra_glob_sources(_files ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
  add_library(${name} STATIC ${_files})
  target_link_libraries(${name} PUBLIC ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
endfunction()
ivra_window_library(ivra_imagewin imagewin ivra_services)
ivra_window_library(ivra_measure measure ivra_imagewin)
ivra_window_library(ivra_processing processing ivra_imagewin)
ivra_window_library(ivra_analysis analysis ivra_measure ivra_processing ivra_chart)
ivra_window_library(ivra_notepad notepad ivra_services)
ivra_window_library(ivra_app app ivra_analysis ivra_notepad)
# The includes are held to the same order: the build stops when a folder
# includes a header of a layer above it.
set(_layer_sources)
foreach(_dir core engine chart services imagewin measure processing analysis notepad)
  ivra_glob_sources(_files ${CMAKE_CURRENT_SOURCE_DIR}/${_dir})
  list(APPEND _layer_sources ${_files})
endforeach()
set(_layer_stamp ${CMAKE_CURRENT_BINARY_DIR}/layer_includes.stamp)
add_custom_command(OUTPUT ${_layer_stamp}
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/layers/check_includes.sh ${CMAKE_CURRENT_SOURCE_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${_layer_stamp}
  DEPENDS ${_layer_sources} ${CMAKE_SOURCE_DIR}/tests/layers/check_includes.sh
  COMMENT "Checking that no folder includes a header of a layer above it" VERBATIM)
add_custom_target(ivra_layer_check DEPENDS ${_layer_stamp})
foreach(_lib ivra_imagewin ivra_measure ivra_processing ivra_analysis ivra_notepad ivra_app)
  add_dependencies(${_lib} ivra_layer_check)
endforeach()

# Every window layer, for the program, the GUI tests and the benchmarks.
add_library(ivra_ui INTERFACE)
target_link_libraries(ivra_ui INTERFACE ivra_app)

# The program: main.cpp alone in its folder.
add_executable(ivra ${CMAKE_CURRENT_SOURCE_DIR}/ivra/main.cpp)
target_link_libraries(ivra PRIVATE ivra_ui)
set_target_properties(ivra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The sample pictures and the help pages stand beside the program.
add_custom_command(TARGET ivra POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/images $<TARGET_FILE_DIR:ivra>/images
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help $<TARGET_FILE_DIR:ivra>/help
  VERBATIM)
