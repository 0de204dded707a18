# Fails unless the library's dynamic symbol table (a DLL's export table)
# defines exactly Vorrin's eight entry points (beside the markers the linker
# itself may add).
# Usage: cmake -DNM=<nm> -DOBJDUMP=<objdump> -DLIBRARY=<libvorrin.so or vorrin.dll>
#        -P CheckExports.cmake
cmake_minimum_required(VERSION 3.25)

set(expected
    MIDIINISOPEN MIDIINREQUESTCLOSE MIDIINSETBUFFER MIDIOUTISBUSY MIDIOUTISOPEN MIDIOUTMARKBUSY
    MidiInHandler MidiOutHandler)
set(linker_markers _init _fini _edata _end __bss_start)

# A Windows DLL keeps its exports in a table of names, which objdump lists
# beside the table of their addresses; elsewhere nm lists the dynamic symbol
# table.
if(LIBRARY MATCHES "\\.dll$")
    execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    set(entry "^[ \t]*\\[ *[0-9]+\\] ([A-Za-z_][A-Za-z0-9_]*)$")
else()
    execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
        OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    set(entry "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
endif()
if(NOT result EQUAL 0)
    message(FATAL_ERROR "listing the exports of ${LIBRARY} failed")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(exported)
foreach(line IN LISTS lines)
    if(line MATCHES "${entry}")
        set(name "${CMAKE_MATCH_1}")
        if(NOT name IN_LIST linker_markers)
            list(APPEND exported "${name}")
        endif()
    endif()
endforeach()

list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "exported: ${exported}\nexpected: ${expected}")
endif()
message(STATUS "exactly the eight entry points are exported")
