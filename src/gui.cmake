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

# The windows and commands of every subsystem, built as one library so that
# the GUI tests link the same windows the user runs.
set(IVRA_UI_SOURCES)
foreach(_sub app imagewin measure processing analysis notepad)
  ivra_glob_sources(_files ${CMAKE_CURRENT_SOURCE_DIR}/${_sub})
  list(APPEND IVRA_UI_SOURCES ${_files})
endforeach()
if(NOT IVRA_UI_SOURCES)
  return()
endif()
add_library(ivra_ui STATIC ${IVRA_UI_SOURCES})
target_link_libraries(ivra_ui PUBLIC ivra_services)
if(TARGET ivra_chart)
  target_link_libraries(ivra_ui PUBLIC ivra_chart)
endif()
set_target_properties(ivra_ui PROPERTIES AUTOMOC ON AUTORCC ON)

# The program: main.cpp alone in its folder.
add_executable(ivra ${CMAKE_CURRENT_SOURCE_DIR}/ivra/main.cpp)
target_link_libraries(ivra PRIVATE ivra_ui)
set_target_properties(ivra PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The sample pictures and the help pages stand beside the program.
add_custom_command(TARGET ivra POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/images $<TARGET_FILE_DIR:ivra>/images
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help $<TARGET_FILE_DIR:ivra>/help
  VERBATIM)
