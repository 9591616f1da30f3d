# Exception texts reach the user (the window's messages, the runner's
# stderr after "paso \"car\": "): none may start with the name of the
# function that threw it ("referenciaPromedioComun: ..."). The names of the
# steps themselves (ASR, Mara) are what the user chose, and stay.
# Run as: cmake -DRAIZ=<source folder> -P comprobarMensajes.cmake
file(GLOB_RECURSE fuentes RELATIVE ${RAIZ} ${RAIZ}/*.cpp ${RAIZ}/*.h)
set(malos "")
foreach(f ${fuentes})
  if(f MATCHES "^(build[^/]*|tests|fuzz|bench)/")
    continue()
  endif()
  file(STRINGS ${RAIZ}/${f} lineas REGEX "throw [A-Za-z_:]+\\((std::string\\()?\"[A-Za-z]+(::[A-Za-z]+)?: ")
  foreach(l IN LISTS lineas)
    if(NOT l MATCHES "\"(ASR|Mara): ")
      string(STRIP "${l}" l)
      string(APPEND malos "\n  ${f}: ${l}")
    endif()
  endforeach()
endforeach()
if(malos)
  message(FATAL_ERROR "Mensajes que empiezan por el nombre de una función:${malos}")
endif()
