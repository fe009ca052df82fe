# Writes STAMP with the name and SHA-256 of every file below FOLDER, and only
# when they changed, so that what is made of the folder (the zip, the setup
# program) is made again only then (cmake -P).
#   -DFOLDER=<folder> -DSTAMP=<stamp file>
file(GLOB_RECURSE files RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT files)
set(content "")
foreach(file IN LISTS files)
  file(SHA256 ${FOLDER}/${file} sha256)
  string(APPEND content "${sha256} ${file}\n")
endforeach()
if(EXISTS ${STAMP})
  file(READ ${STAMP} before)
  if(before STREQUAL content)
    return()
  endif()
endif()
file(WRITE ${STAMP} "${content}")
