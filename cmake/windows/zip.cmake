# Packs the release folder (cmake/release_folder.cmake) into the release zip
# (cmake -P), as the folder Varnel\ with everything a user needs.
#   -DRELEASE_DIR=<.../Varnel> -DZIP=<zip file>
get_filename_component(parent ${RELEASE_DIR} DIRECTORY)
get_filename_component(name ${RELEASE_DIR} NAME)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${name}
  WORKING_DIRECTORY ${parent} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Packing ${ZIP} failed")
endif()
