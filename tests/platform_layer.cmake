# Layers only look down: base text helpers, then the platform layer, then the
# engine's core, then the subsystems, windows and programs built on them. No
# file of a lower layer may include a folder of a layer above it.
# Run as: cmake -DSOURCE_DIR=<src> -P platform_layer.cmake
set(above_core places lang update updater desktop_places skin dialogs editor shell)
set(above_platform core ${above_core})
set(above_base platform ${above_platform})

set(offences "")
foreach(layer base platform core)
  file(GLOB_RECURSE layer_files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  if(NOT layer_files)
    message(FATAL_ERROR "No files found for the layer ${layer} under ${SOURCE_DIR}")
  endif()
  foreach(f IN LISTS layer_files)
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      foreach(folder IN LISTS above_${layer})
        if(line MATCHES "\"${folder}/")
          file(RELATIVE_PATH name "${SOURCE_DIR}" "${f}")
          string(APPEND offences "  ${name}: ${line}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "A layer includes layers above it:\n${offences}")
endif()
