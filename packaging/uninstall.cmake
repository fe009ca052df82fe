# Removes every file an install listed in its manifest, then the program
# folder's own sub-folders once they are empty. Shared folders (bin, share,
# the icon theme) stay, even when empty.
# Usage: cmake -DMANIFEST=<build>/install_manifest.txt -P uninstall.cmake

if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (run make install first).")
endif()
file(STRINGS "${MANIFEST}" files)
set(folders)
foreach(file IN LISTS files)
  # The user's groups: only a person decides to throw them away.
  if(file MATCHES "/varnel-zize/Db/[Vv]arnel.db$" AND EXISTS "${file}")
    message(STATUS "Kept the group database: ${file}")
    continue()
  endif()
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    file(REMOVE "${file}")
    message(STATUS "Removed ${file}")
  endif()
  # Every folder from the file up to the program folder "varnel-zize".
  get_filename_component(folder "${file}" DIRECTORY)
  while(folder MATCHES "/varnel-zize(/|$)")
    list(APPEND folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
# Deepest first, so a parent is empty by the time it comes.
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  file(GLOB left LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
  if(IS_DIRECTORY "${folder}" AND NOT left)
    file(REMOVE_RECURSE "${folder}")
    message(STATUS "Removed ${folder}/")
  endif()
endforeach()
