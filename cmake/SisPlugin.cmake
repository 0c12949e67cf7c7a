# sis_add_plugin(<Name> SOURCES <files...>)
# Builds <Name>.so (with its English resources from res/en.rc) and its French
# satellite <Name>FRA.so (resources from res/en.rc translated by res/fr.rc),
# both in the plugins folder.
set(SIS_PLUGIN_EXPORTS_MAP ${CMAKE_CURRENT_LIST_DIR}/plugin-exports.map)

function(sis_add_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  set(res ${CMAKE_CURRENT_SOURCE_DIR}/res)
  file(GLOB shared_rc ${SIS_FRAMEWORK_RC_DIR}/*.rc)
  set(gen_en ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources_en.cpp)
  set(gen_fr ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources_fr.cpp)
  add_custom_command(OUTPUT ${gen_en}
    COMMAND ${Python3_EXECUTABLE} ${SIS_RCGEN} --base ${res}/en.rc --out ${gen_en} --symbol SisOwnResources
    DEPENDS ${SIS_RCGEN} ${res}/en.rc ${shared_rc}
    COMMENT "Compiling ${name} English resources")
  add_custom_command(OUTPUT ${gen_fr}
    COMMAND ${Python3_EXECUTABLE} ${SIS_RCGEN} --base ${res}/en.rc --translation ${res}/fr.rc
            --out ${gen_fr} --symbol SisResources --export
    DEPENDS ${SIS_RCGEN} ${res}/en.rc ${res}/fr.rc ${shared_rc}
    COMMENT "Compiling ${name} French resources")

  add_library(${name} MODULE ${ARG_SOURCES} ${gen_en})
  target_link_libraries(${name} PRIVATE sisframework)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${SIS_PLUGIN_DIR}
    BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  if(NOT SIS_SANITIZE)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  target_link_options(${name} PRIVATE -Wl,--version-script=${SIS_PLUGIN_EXPORTS_MAP})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${SIS_PLUGIN_EXPORTS_MAP})

  add_library(${name}FRA MODULE ${gen_fr})
  set_target_properties(${name}FRA PROPERTIES
    PREFIX "" OUTPUT_NAME ${name}FRA
    LIBRARY_OUTPUT_DIRECTORY ${SIS_PLUGIN_DIR})
  target_include_directories(${name}FRA PRIVATE ${CMAKE_SOURCE_DIR}/platform/include)
  add_dependencies(${name} ${name}FRA)
  set_property(GLOBAL APPEND PROPERTY SIS_PLUGINS ${name})
endfunction()
