# Fails unless the library's dynamic symbol table defines exactly Vorrin's
# eight entry points (beside the markers the linker itself may add).
# Usage: cmake -DNM=<nm> -DLIBRARY=<libvorrin.so> -P CheckExports.cmake
cmake_minimum_required(VERSION 3.25)

set(expected
    MIDIINISOPEN MIDIINREQUESTCLOSE MIDIINSETBUFFER MIDIOUTISBUSY MIDIOUTISOPEN MIDIOUTMARKBUSY
    MidiInHandler MidiOutHandler)
set(linker_markers _init _fini _edata _end __bss_start)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(exported)
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] (.+)$")
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
