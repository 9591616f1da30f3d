#pragma once

#include <cstdint>
#include <string>

#include "filtering/opcionesFiltro.h"

// Trace text the filter command writes into the information label:
//   high-pass  "alto " fSup        low-pass   "bajo " fInf
//   band-pass  "frecuencia " <rate of the recording's first branch> " " <recordings> " " <branches>
//   band-stop  "notch " fInf " " fSup
// Frequencies in the general format with 6 significant digits ("40", "0.5").
std::string textoEstadoFiltro(TipoFiltro tipo, double frecInferior, double frecSuperior,
                              int32_t frecuenciaPrimeraRama, int numeroArchivos, int numeroRamas);
