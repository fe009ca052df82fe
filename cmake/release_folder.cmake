# The release as it ships (cmake -P): a clean folder with the programs and
# their data, whose Db/Varnel.db holds no groups and a version row for every
# file, exactly as "makeversion1" writes them, so that an installed copy is
# offered its updates. The zip, the setup program and the Linux install are
# made from this folder.
#   -DSTAGE=<folder to make>  -DPROGRAM_DIR=<the build's program folder>
#   -DEMPTY=<the empty group database>  -DTOOL=<varnel_release_database>
#   -DSQLITE3=<sqlite3 program>
#   [-DENTRIES=<files and folders to ship>]  by default the program folder
#   without what the programs write there while they run.
#   [-DPOLICY_DEFINITIONS=<folder>]  the Group Policy templates, shipped as
#   PolicyDefinitions/.
# The program folder's own database gets the same version rows; its groups stay.
foreach(variable STAGE PROGRAM_DIR EMPTY TOOL SQLITE3)
  if(NOT ${variable})
    message(FATAL_ERROR "release_folder.cmake needs -D${variable}=")
  endif()
endforeach()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/Db)
if(NOT ENTRIES)
  file(GLOB names RELATIVE ${PROGRAM_DIR} ${PROGRAM_DIR}/*)
  foreach(name IN LISTS names)
    # The user's: logs, downloads, a fetched or built manifest, the groups.
    if(NOT name MATCHES "^(Error\\.log|loggaren\\.log|Temp|Update\\.(upd|sums|sig)|Db)$")
      list(APPEND ENTRIES ${PROGRAM_DIR}/${name})
    endif()
  endforeach()
endif()
foreach(entry IN LISTS ENTRIES)
  file(COPY ${entry} DESTINATION ${STAGE} USE_SOURCE_PERMISSIONS)
endforeach()
file(COPY_FILE ${EMPTY} ${STAGE}/Db/Varnel.db)
if(POLICY_DEFINITIONS)
  file(COPY ${POLICY_DEFINITIONS}/ DESTINATION ${STAGE}/PolicyDefinitions)
endif()

execute_process(COMMAND ${TOOL} ${STAGE} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The release database of ${STAGE} could not be made")
endif()

# The trial copy in the program folder takes the release's rows too.
set(database ${PROGRAM_DIR}/Db/Varnel.db)
if(NOT EXISTS ${database})
  return()
endif()
set(rows "select * from tbl_Update order by rowid;")
execute_process(COMMAND ${SQLITE3} -bail ${STAGE}/Db/Varnel.db ${rows} OUTPUT_VARIABLE release_rows RESULT_VARIABLE rc1)
execute_process(COMMAND ${SQLITE3} -bail ${database} ${rows} OUTPUT_VARIABLE folder_rows RESULT_VARIABLE rc2)
if(rc1 EQUAL 0 AND rc2 EQUAL 0 AND release_rows STREQUAL folder_rows)
  return()
endif()
file(COPY_FILE ${database} ${database}.new)
execute_process(COMMAND ${SQLITE3} -bail ${database}.new
  "attach '${STAGE}/Db/Varnel.db' as release_db; begin; delete from tbl_Update; insert into tbl_Update select * from release_db.tbl_Update; commit;"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${database}.new)
  message(FATAL_ERROR "The version rows of ${database} could not be renewed")
endif()
file(RENAME ${database}.new ${database})
