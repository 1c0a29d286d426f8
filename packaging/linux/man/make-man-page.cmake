# Makes the gzipped man page of one program from its --help and --version with help2man.
# cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DINCLUDE=... -DOUT=page.1 -DEPOCH=... -P this
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})  # the page's date: the release's, not today's
set(ENV{LC_ALL} C.UTF-8)
execute_process(COMMAND ${HELP2MAN} --no-info --no-discard-stderr --name=${NAME}
                        --include=${INCLUDE} --output=${OUT} ${PROGRAM}
                COMMAND_ERROR_IS_FATAL ANY)
# help2man knows no "Exit status:" heading and makes it a subsection of the one before.
file(READ ${OUT} page)
string(REPLACE ".SS \"Exit status:\"" ".SH \"EXIT STATUS\"" page "${page}")
file(WRITE ${OUT} "${page}")
execute_process(COMMAND gzip -9nf ${OUT} COMMAND_ERROR_IS_FATAL ANY)
