# The Debian package that scripts/package makes with CPack: whatever the
# install rules put under the prefix, in /usr, with the dependencies that
# dpkg-shlibdeps finds in the programs and libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavimor)
set(CPACK_PACKAGE_VENDOR "Tavimor developers")
set(CPACK_PACKAGE_CONTACT "Tavimor developers <developers@tavimor.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "wavesample editor for Ensoniq EPS, EPS-16 Plus and ASR samplers")
# CPack puts the summary first and indents the lines below it as Debian wants.
set(CPACK_PACKAGE_DESCRIPTION
"Tavimor edits the wavesamples in the memory of an Ensoniq EPS, EPS-16 Plus
or ASR sampler over MIDI System Exclusive: it lists the instruments, draws the
wave, has the sampler clear, reverse, scale, normalize and fade ranges, moves
the loop markers, renames instruments, downloads wavesamples to WAVE files and
uploads sound files.

The package holds the desktop program, the command-line tool tavimor-cli, the
standalone virtual sampler tavimor-virtual-eps and the trace monitor
tavimor-monitor.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The project's own libraries, which the programs link, are found where they
# are built.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The copyright file and the changelog that every Debian package carries in
# its documentation folder; installed by any install, where they do no harm.
set(TAVIMOR_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog)
string(TIMESTAMP TAVIMOR_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${TAVIMOR_CHANGELOG} @ONLY)
find_program(TAVIMOR_GZIP gzip REQUIRED)
# Compressed at the highest level and without a time stamp, as Debian asks.
execute_process(COMMAND ${TAVIMOR_GZIP} -9nc INPUT_FILE ${TAVIMOR_CHANGELOG}
    OUTPUT_FILE ${TAVIMOR_CHANGELOG}.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${TAVIMOR_CHANGELOG}.gz
    DESTINATION ${TAVIMOR_INSTALL_DOCDIR})

include(CPack)
