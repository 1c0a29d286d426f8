# Runs lupdate over the sources into a copy of the English .ts: a text that the committed file
# does not translate yet comes out unfinished, and the test names it.
file(COPY_FILE ${TS} ${OUT})
string(REPLACE "," ";" SOURCES "${SOURCES}")  # folders and files, comma-separated
execute_process(COMMAND ${LUPDATE} ${SOURCES} -ts ${OUT} -locations none -no-obsolete
                        -source-language ja -target-language en -tr-function-alias ${ALIASES}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${rc})\n${out}\n${err}")
endif()
file(STRINGS ${OUT} unfinished REGEX "type=\"unfinished\"")
if(unfinished)
    file(READ ${OUT} ts)
    message(FATAL_ERROR "texts without English: build the update_translations target, translate "
                        "them in res/translations/vexilo_en.ts and commit it\n${ts}")
endif()
