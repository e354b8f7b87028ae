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
# The last cell of a table row and a long first one become text blocks (go-md2man makes only
# some), which tbl wraps to the page's width. Tables need tbl, which man runs when the page's
# first line asks for it.
file(READ ${work}.roff roff)
# Lines as a list: semicolons and brackets, which lists treat specially, are held as control
# characters meanwhile.
string(ASCII 1 semicolon)
string(ASCII 2 openBracket)
string(ASCII 3 closeBracket)
string(REPLACE ";" "${semicolon}" roff "${roff}")
string(REPLACE "[" "${openBracket}" roff "${roff}")
string(REPLACE "]" "${closeBracket}" roff "${roff}")
string(REPLACE "\n" ";" lines "${roff}")
set(page "'\\\" t\n")
set(inTable FALSE)
foreach(line IN LISTS lines)
    if(line STREQUAL ".TS")
        set(inTable TRUE)
    elseif(line STREQUAL ".TE")
        set(inTable FALSE)
    elseif(inTable AND line MATCHES "^l[l ]*\\.?$")
        # The last column takes the width the others leave.
        string(REGEX REPLACE "l( *\\.?)$" "lx\\1" line "${line}")
    elseif(inTable AND line MATCHES "\t")
        # A first cell longer than a file name or two wraps too, unjustified, since its column
        # is narrow.
        string(REGEX MATCH "^[^\t]*" first "${line}")
        string(LENGTH "${first}" length)
        if(NOT first STREQUAL "T}" AND length GREATER 50)
            string(REGEX REPLACE "^([^\t]*)\t" "T{\n.na\n\\1\nT}\t" line "${line}")
        endif()
        if(NOT line MATCHES "T{$")
            string(REGEX REPLACE "\t([^\t]*)$" "\tT{\n\\1\nT}" line "${line}")
        endif()
    endif()
    string(APPEND page "${line}\n")
endforeach()
string(REPLACE "${semicolon}" ";" page "${page}")
string(REPLACE "${openBracket}" "[" page "${page}")
string(REPLACE "${closeBracket}" "]" page "${page}")
file(WRITE ${work} "${page}")
execute_process(COMMAND gzip -9nf ${work} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip failed on ${work}")
endif()
file(RENAME ${work}.gz ${OUTPUT})
