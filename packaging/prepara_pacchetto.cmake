# prepara_pacchetto.cmake: run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the
# staged tree before it is packaged, to leave it as Debian's helpers would.
# The install rules install plain manual pages, as an install from source
# does; Debian ships them compressed with gzip -9n (dh_compress). CPack has
# already stripped the binaries (CPACK_STRIP_FILES); the compiler's notes go
# too, as dh_strip removes them.
file(GLOB_RECURSE pagine "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man[1-9]/*.[1-9]")
file(GLOB_RECURSE programmi "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
if(NOT pagine OR NOT programmi)
  message(FATAL_ERROR "no manual pages or programs under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(pagina IN LISTS pagine)
  execute_process(COMMAND gzip -9nf "${pagina}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(programma IN LISTS programmi)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${programma}"
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
