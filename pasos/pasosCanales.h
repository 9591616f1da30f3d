#pragma once
// The bad-channel steps as the catalogue builds them: canales-malos marks
// channels by the rules of canales/deteccionCanales.h, interpolar replaces
// the bad ones by spherical splines. Neither takes parameters.

#include <string>
#include <vector>

#include "pasos/catalogoPasos.h"

Paso pasoCanalesMalos();
Paso pasoInterpolar();
Paso leerPasoCanalesMalos(const std::string& texto, bool hayParametros);
Paso leerPasoInterpolar(const std::string& texto, bool hayParametros);
