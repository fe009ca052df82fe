# The Windows program folder as a user unpacks it: both programs with their
# version resource and icon, the Qt and compiler runtime DLLs and the Qt
# plugins they load, and a zip of the folder named with the version
# (target windows_zip).

# Qt's imported targets, its plugins among them, belong to the directory
# that found Qt; this one needs its own.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Network PrintSupport)

set(VARNEL_WINDOWS_ICONS_Varnel_Zize Varnel.ico)
set(VARNEL_WINDOWS_ICONS_Varnel_Zize_Update Update.ico)
set(VARNEL_WINDOWS_DESCRIPTION_Varnel_Zize "Varnel Zize")
set(VARNEL_WINDOWS_DESCRIPTION_Varnel_Zize_Update "Varnel Zize updater")
foreach(program IN ITEMS Varnel_Zize Varnel_Zize_Update)
  set(VARNEL_RC_NAME ${program})
  set(VARNEL_RC_ICON ${PROJECT_SOURCE_DIR}/data/Build/Icon/${VARNEL_WINDOWS_ICONS_${program}})
  set(VARNEL_RC_DESCRIPTION ${VARNEL_WINDOWS_DESCRIPTION_${program}})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_BINARY_DIR}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${CMAKE_BINARY_DIR}/${program}.rc)
endforeach()

# What the programs load at run time. Plugins sit in their sub-folders beside
# the programs, where Qt looks for them first.
set(VARNEL_WINDOWS_DLLS)
foreach(module IN ITEMS Core Gui Widgets Network PrintSupport)
  list(APPEND VARNEL_WINDOWS_DLLS $<TARGET_FILE:Qt6::${module}>)
endforeach()
foreach(runtime IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE file OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${file}" OR NOT EXISTS "${file}")
    message(FATAL_ERROR "The compiler's runtime ${runtime} was not found")
  endif()
  list(APPEND VARNEL_WINDOWS_DLLS ${file})
endforeach()

set(VARNEL_WINDOWS_PLUGIN_COMMANDS)
foreach(plugin IN ITEMS
    platforms:QWindowsIntegrationPlugin
    imageformats:QGifPlugin
    imageformats:QICOPlugin
    styles:QWindowsVistaStylePlugin
    tls:QSchannelBackendPlugin
    tls:QCertOnlyBackendPlugin)
  string(REPLACE ":" ";" parts ${plugin})
  list(GET parts 0 folder)
  list(GET parts 1 target)
  if(TARGET Qt6::${target})
    list(APPEND VARNEL_WINDOWS_PLUGIN_COMMANDS
      COMMAND ${CMAKE_COMMAND} -E make_directory ${VARNEL_PROGRAM_DIR}/${folder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::${target}> ${VARNEL_PROGRAM_DIR}/${folder}/)
  elseif(folder STREQUAL "platforms" OR folder STREQUAL "imageformats")
    message(FATAL_ERROR "The Windows kit lacks the Qt plugin ${target}")
  endif()
endforeach()

add_custom_target(windows_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VARNEL_WINDOWS_DLLS} ${VARNEL_PROGRAM_DIR}/
  ${VARNEL_WINDOWS_PLUGIN_COMMANDS}
  COMMENT "Copying the Qt and runtime DLLs and plugins into the program folder"
  VERBATIM)

# The release folder: the program folder without what the programs write
# there while they run, its database holding the release's version rows
# (cmake/release_folder.cmake). The zip and the setup program are made of it.
# The rows come from the release builder built for the build machine, which
# scripts/windows-build.sh builds first.
set(VARNEL_RELEASE_DATABASE_TOOL "" CACHE FILEPATH
    "varnel_release_database built for the build machine (scripts/windows-build.sh builds it)")
if(NOT VARNEL_RELEASE_DATABASE_TOOL)
  message(FATAL_ERROR "VARNEL_RELEASE_DATABASE_TOOL is not set: build the Windows programs with scripts/windows-build.sh")
endif()
# Its programs are signed there when the build has a certificate
# (scripts/windows-sign.sh reads WINDOWS_SIGN_CERT and WINDOWS_SIGN_KEY). Its
# stamp changes with its content only: packing it is made again only then.
set(VARNEL_RELEASE_DIR ${CMAKE_BINARY_DIR}/release/Varnel)
set(VARNEL_RELEASE_STAMP ${CMAKE_BINARY_DIR}/release/Varnel.content)
set(VARNEL_SIGN ${PROJECT_SOURCE_DIR}/scripts/windows-sign.sh)
add_custom_target(windows_release_folder
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${VARNEL_RELEASE_DIR} -DPROGRAM_DIR=${VARNEL_PROGRAM_DIR}
          -DEMPTY=${VARNEL_EMPTY_DATABASE} -DTOOL=${VARNEL_RELEASE_DATABASE_TOOL} -DSQLITE3=${SQLITE3_EXECUTABLE}
          -DPOLICY_DEFINITIONS=${PROJECT_SOURCE_DIR}/packaging/windows/policy
          -P ${PROJECT_SOURCE_DIR}/cmake/release_folder.cmake
  COMMAND ${VARNEL_SIGN} ${VARNEL_RELEASE_DIR}/Varnel_Zize.exe
  COMMAND ${VARNEL_SIGN} ${VARNEL_RELEASE_DIR}/Varnel_Zize_Update.exe
  COMMAND ${CMAKE_COMMAND} -DFOLDER=${VARNEL_RELEASE_DIR} -DSTAMP=${VARNEL_RELEASE_STAMP}
          -P ${CMAKE_CURRENT_LIST_DIR}/content_stamp.cmake
  BYPRODUCTS ${VARNEL_RELEASE_STAMP}
  DEPENDS Varnel_Zize Varnel_Zize_Update windows_runtime skin_images varnel_database varnel_languages
  COMMENT "Making the release folder ${VARNEL_RELEASE_DIR}"
  VERBATIM)

# The zip holds the folder Varnel\ of the release.
set(VARNEL_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/Varnel_Zize-${PROJECT_VERSION}-windows-x64.zip)
add_custom_command(OUTPUT ${VARNEL_WINDOWS_ZIP}
  COMMAND ${CMAKE_COMMAND} -DRELEASE_DIR=${VARNEL_RELEASE_DIR} -DZIP=${VARNEL_WINDOWS_ZIP}
    -P ${CMAKE_CURRENT_LIST_DIR}/zip.cmake
  DEPENDS ${VARNEL_RELEASE_STAMP} ${CMAKE_CURRENT_LIST_DIR}/zip.cmake
  COMMENT "Packing ${VARNEL_WINDOWS_ZIP}"
  VERBATIM)
add_custom_target(windows_zip DEPENDS ${VARNEL_WINDOWS_ZIP})
add_dependencies(windows_zip windows_release_folder)

# The setup program beside the zip (NSIS, packaging/windows/setup.nsi), its
# uninstaller and itself signed like the programs, and the winget manifests
# for it in winget/.
find_program(VARNEL_MAKENSIS makensis REQUIRED)
set(VARNEL_WINDOWS_DOWNLOAD_URL "https://www.varnelzize.se/download/" CACHE STRING
    "Where the setup program is published; the winget manifest names it there")
set(VARNEL_WINDOWS_SETUP ${CMAKE_BINARY_DIR}/Varnel_Zize-${PROJECT_VERSION}-setup.exe)
add_custom_command(OUTPUT ${VARNEL_WINDOWS_SETUP}
  COMMAND ${CMAKE_COMMAND} -DMAKENSIS=${VARNEL_MAKENSIS} -DSCRIPT=${PROJECT_SOURCE_DIR}/packaging/windows/setup.nsi
    -DRELEASE_DIR=${VARNEL_RELEASE_DIR} -DRELEASE_TOOL=$<TARGET_FILE:varnel_release_database>
    -DOUTFILE=${VARNEL_WINDOWS_SETUP} -DVERSION=${PROJECT_VERSION}
    -DICON=${PROJECT_SOURCE_DIR}/data/Build/Icon/Varnel.ico -DWORK=${CMAKE_BINARY_DIR}/setup
    -DWINGET_DIR=${CMAKE_BINARY_DIR}/winget -DDOWNLOAD_URL=${VARNEL_WINDOWS_DOWNLOAD_URL} -DSIGN=${VARNEL_SIGN}
    -P ${CMAKE_CURRENT_LIST_DIR}/setup.cmake
  DEPENDS ${VARNEL_RELEASE_STAMP} varnel_release_database ${PROJECT_SOURCE_DIR}/packaging/windows/setup.nsi
          ${CMAKE_CURRENT_LIST_DIR}/setup.cmake ${PROJECT_SOURCE_DIR}/data/Build/Icon/Varnel.ico
  COMMENT "Building ${VARNEL_WINDOWS_SETUP}"
  VERBATIM)
add_custom_target(windows_setup DEPENDS ${VARNEL_WINDOWS_SETUP})
add_dependencies(windows_setup windows_release_folder)
