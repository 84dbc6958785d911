# The 32-bit DLL's import library.  The DLL exports its __stdcall functions
# by their plain names (Open), as hosts find them by name; a MinGW program
# built against the __stdcall declarations of ecf.h asks for Open@8, which
# the import library ld writes with --kill-at does not define.  After the
# link this file, run as a script, writes talvor.def, each export with its
# argument bytes (taken from ld's own list, "Open = Open@8"), and makes
# dlltool -k rewrite the import library from it: Open@8 for the caller,
# imported from the DLL as "Open".

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DLISTA=... -DDEF=... -DDLL=... -DIMPORTACAO=... -DDLLTOOL=... -P this file
  file(STRINGS ${LISTA} linhas REGEX "=")
  set(def "LIBRARY ${DLL}\nEXPORTS\n")
  set(n 0)
  foreach(linha IN LISTS linhas)
    if(linha MATCHES "= *([A-Za-z_][A-Za-z0-9_]*@[0-9]+)")
      string(APPEND def "${CMAKE_MATCH_1}\n")
      math(EXPR n "${n} + 1")
    endif()
  endforeach()
  if(n EQUAL 0)
    message(FATAL_ERROR "${LISTA}: nenhuma exportação com o tamanho dos argumentos")
  endif()
  file(WRITE ${DEF} "${def}")
  # Run where the import library goes: dlltool names the library's own
  # symbols after the path it is given, which then holds no build directory.
  get_filename_component(pasta ${IMPORTACAO} DIRECTORY)
  get_filename_component(nome ${IMPORTACAO} NAME)
  execute_process(COMMAND ${DLLTOOL} -k -d ${DEF} -D ${DLL} -l ${nome}
    WORKING_DIRECTORY ${pasta} RESULT_VARIABLE r)
  if(NOT r EQUAL 0)
    message(FATAL_ERROR "dlltool: ${r}")
  endif()
  return()
endif()

if(NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "dlltool not found: the 32-bit import library needs it")
endif()
set(talvor_lista_ld ${PROJECT_BINARY_DIR}/talvor-ld.def)
target_link_options(talvor PRIVATE -Wl,--kill-at -Wl,--output-def,${talvor_lista_ld})
add_custom_command(TARGET talvor POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DLISTA=${talvor_lista_ld} -DDEF=${PROJECT_BINARY_DIR}/talvor.def
    -DDLL=$<TARGET_FILE_NAME:talvor> -DIMPORTACAO=$<TARGET_LINKER_FILE:talvor>
    -DDLLTOOL=${CMAKE_DLLTOOL} -P ${CMAKE_CURRENT_LIST_FILE}
  VERBATIM)
