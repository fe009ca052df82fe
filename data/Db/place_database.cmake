# Puts the group database into the program folder as Db/Varnel.db, the name
# the update code and a release's manifest use. A program folder from an
# older build holds Db/varnel.db: it takes the new name and keeps its groups.
# Run with -DEMPTY=<empty database> -DFOLDER=<program folder>/Db.
set(installed "${FOLDER}/Varnel.db")
set(older "${FOLDER}/varnel.db")
file(MAKE_DIRECTORY "${FOLDER}")
if(EXISTS "${older}" AND NOT EXISTS "${installed}")
  file(RENAME "${older}" "${installed}")
else()
  file(COPY_FILE "${EMPTY}" "${installed}.new")
  file(RENAME "${installed}.new" "${installed}")
endif()
