# The release key compiled into the programs. A publisher makes a key pair
# with "Varnel_Zize_Update genkey <folder>" and configures with
# -DVARNEL_RELEASE_PUBLIC_KEY=<folder>/public.key; the secret key stays with
# the publisher. Without a key the programs install updates unverified.
set(VARNEL_RELEASE_PUBLIC_KEY "" CACHE FILEPATH
    "Public key file (from 'Varnel_Zize_Update genkey') the programs verify releases with; empty: none")
if(VARNEL_RELEASE_PUBLIC_KEY)
  get_filename_component(VARNEL_RELEASE_PUBLIC_KEY_FILE "${VARNEL_RELEASE_PUBLIC_KEY}" ABSOLUTE
                         BASE_DIR "${PROJECT_SOURCE_DIR}")
  if(NOT EXISTS "${VARNEL_RELEASE_PUBLIC_KEY_FILE}")
    message(FATAL_ERROR "VARNEL_RELEASE_PUBLIC_KEY: ${VARNEL_RELEASE_PUBLIC_KEY_FILE} does not exist")
  endif()
  message(STATUS "Release key: ${VARNEL_RELEASE_PUBLIC_KEY_FILE}")
else()
  set(VARNEL_RELEASE_PUBLIC_KEY_FILE "")
  message(STATUS "Release key: none (the programs install updates unverified)")
endif()

# A static library defining compiledReleaseKey() for the key in `key_file`
# (empty: no key), regenerated when the key file changes.
function(varnel_release_key_library target key_file)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp)
  set(script ${PROJECT_SOURCE_DIR}/cmake/embed_release_key.cmake)
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DKEY_FILE=${key_file} -DOUTPUT=${source} -P ${script}
    DEPENDS ${script} ${key_file}
    COMMENT "Compiling in the release key ${key_file}"
    VERBATIM)
  add_library(${target} STATIC ${source})
  target_link_libraries(${target} PUBLIC varnel_engine)
endfunction()
