# Makes the manual page ipgen(1) from docs/ipgen.md: the document's title becomes the NAME line,
# its sections the page's, converted by go-md2man and compressed as Debian installs pages.
# Usage: cmake -DSOURCE=docs/ipgen.md -DOUTPUT=ipgen.1.gz -DVERSION=1.0 -DMD2MAN=go-md2man
#        -P manpage.cmake
file(READ ${SOURCE} doc)
string(FIND "${doc}" "\n" titleEnd)
string(SUBSTRING "${doc}" 0 ${titleEnd} title)
string(SUBSTRING "${doc}" ${titleEnd} -1 body)
string(REGEX REPLACE "^# ipgen: " "" summary "${title}")
string(REGEX REPLACE "\n## " "\n# " body "${body}")
get_filename_component(work ${OUTPUT} NAME_WLE)
set(work ${CMAKE_CURRENT_BINARY_DIR}/${work})
file(WRITE ${work}.md "% IPGEN 1 \"\" \"ipgen ${VERSION}\" \"User Commands\"\n\n"
                      "# NAME\nipgen - ${summary}\n\n# DESCRIPTION\n${body}")
execute_process(COMMAND ${MD2MAN} -in ${work}.md -out ${work}.roff RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "go-md2man failed on ${work}.md")
endif()
# Tables need tbl, which man runs when the page's first line asks for it.
file(READ ${work}.roff roff)
file(WRITE ${work} "'\\\" t\n${roff}")
execute_process(COMMAND gzip -9nf ${work} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip failed on ${work}")
endif()
file(RENAME ${work}.gz ${OUTPUT})
