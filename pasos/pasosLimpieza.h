#pragma once
// The steps that clean a continuous recording, as the catalogue builds them
// from their texts: remuestreo, linea and referencia. Parameters are checked
// when parsed (std::invalid_argument); what depends on the branch (its rate,
// its labels, epochs) is a RechazoPaso when the step runs.

#include <string>
#include <vector>

#include "pasos/catalogoPasos.h"

Paso leerPasoRemuestreo(const std::string& texto, const std::vector<std::string>& parametros);
// Without parameters, linea is linea:auto and referencia is referencia:media:
// the window's menu runs them by their bare names.
Paso leerPasoLinea(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros);
Paso leerPasoReferencia(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros);

// Re-referencing to the mean of all channels.
Paso pasoReferenciaMedia();
