# Forms live in the source tree as object text. The build converts each one
# with the form converter (a program for the build machine) and embeds the
# binary image in the executable's own resource script: resources in static
# libraries would be dropped by the linker.

if(RD_WINDOWS)
  # A cross build cannot run its own programs: the converter comes from a
  # native build of the same tree, made with the build machine's compiler.
  include(ExternalProject)
  set(rd_host_dir ${CMAKE_BINARY_DIR}/host-tools)
  set(RD_FORM_CONVERTER ${rd_host_dir}/tools/form_converter/form_converter)
  ExternalProject_Add(host_form_converter
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${rd_host_dir}
    CMAKE_ARGS -DRD_TESTS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${rd_host_dir} --target form_converter
    BUILD_BYPRODUCTS ${RD_FORM_CONVERTER}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(RD_FORM_CONVERTER_TARGET host_form_converter)
else()
  set(RD_FORM_CONVERTER $<TARGET_FILE:form_converter>)
  set(RD_FORM_CONVERTER_TARGET form_converter)
endif()

# rd_add_form_resources(<target> FORMS <object text files>...): each form as
# RCDATA named after its form class, with the common-controls v6 manifest
# (asInvoker), in one resource script linked into <target>.
function(rd_add_form_resources target)
  cmake_parse_arguments(F "" "" "FORMS" ${ARGN})
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms)
  file(MAKE_DIRECTORY ${out_dir})
  set(script "1 24 \"${PROJECT_SOURCE_DIR}/cmake/program.manifest\"\n")
  set(images)
  foreach(form IN LISTS F_FORMS)
    get_filename_component(form ${form} ABSOLUTE)
    file(STRINGS ${form} header LIMIT_COUNT 1 REGEX "^[ \t]*(object|inherited|inline)[ \t]")
    if(NOT header MATCHES ":[ \t]*([A-Za-z_][A-Za-z_0-9]*)")
      message(FATAL_ERROR "${form}: no \"object Name: TClass\" line")
    endif()
    set(class ${CMAKE_MATCH_1})
    set(image ${out_dir}/${class}.bin)
    add_custom_command(OUTPUT ${image}
      COMMAND ${RD_FORM_CONVERTER} ${form} ${image}
      DEPENDS ${form} ${RD_FORM_CONVERTER_TARGET}
      COMMENT "Converting form ${class}")
    string(TOUPPER ${class} resource_name)
    string(APPEND script "${resource_name} RCDATA \"${image}\"\n")
    list(APPEND images ${image})
  endforeach()
  file(GENERATE OUTPUT ${out_dir}/resources.rc CONTENT "${script}")
  set_source_files_properties(${out_dir}/resources.rc PROPERTIES OBJECT_DEPENDS "${images}")
  target_sources(${target} PRIVATE ${out_dir}/resources.rc)
endfunction()
