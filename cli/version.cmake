# Writes the runner's version (the commit it is built from, as `git describe`
# gives it) into a header, rewritten only when the text changes so that an
# unchanged tree rebuilds nothing. Called at every build with
#   cmake -DRAIZ=<source> -DSALIDA=<header> -P version.cmake
execute_process(COMMAND git -C "${RAIZ}" describe --always --dirty
  OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE estado ERROR_QUIET)
if(NOT estado EQUAL 0 OR version STREQUAL "")
  set(version "desconocida")
endif()
set(texto "#pragma once\n#define ONDELAR_VERSION \"${version}\"\n")
set(antes "")
if(EXISTS "${SALIDA}")
  file(READ "${SALIDA}" antes)
endif()
if(NOT antes STREQUAL texto)
  file(WRITE "${SALIDA}" "${texto}")
endif()
