#pragma once
// The steps over epoched branches, as the catalogue builds them from their
// texts: epocas, linea-base, rechazo, and averaging per kind.

#include <string>
#include <utility>
#include <vector>

#include "pasos/catalogoPasos.h"

Paso leerPasoEpocas(const std::string& texto, const std::vector<std::string>& parametros);
Paso leerPasoLineaBase(const std::string& texto, const std::vector<std::string>& parametros);
Paso leerPasoRechazo(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros,
                     const OpcionesPasos& opciones);
// The mean of the kept epochs of each kind. conVentana: the text also gave a
// window, which an epoched branch does not need (a note says so).
Paso pasoPromediadoEpocas(const std::string& texto, std::vector<std::pair<int32_t, int32_t>> tipos, bool conVentana);
