#pragma once
// The steps over epoched branches: epocas, linea-base, rechazo, quitar-epocas
// and averaging per kind, built from their options (as the window's dialogs
// hand them over) or parsed from their texts by the catalogue.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "averaging/epocas.h"
#include "pasos/catalogoPasos.h"

Paso pasoEpocas(const std::vector<TipoEvento>& tipos, double msPrev, double msPost);
Paso pasoLineaBase(double ms1, double ms2);
// Marks with `opciones` and drops the marked epochs; `informe` (when set)
// hears the report as CSV.
Paso pasoRechazo(const OpcionesRechazo& opciones, std::function<void(const std::string&)> informe = {});
// Drops the epochs whose entry is true: a choice reviewed by eye. The
// runner's text numbers them from 1 ("quitar-epocas:3+7").
Paso pasoQuitarEpocas(const std::vector<bool>& quitar);
// The mean of the kept epochs of each kind.
Paso pasoPromediadoEpocas(std::vector<TipoEvento> tipos);

Paso leerPasoEpocas(const std::string& texto, const std::vector<std::string>& parametros);
Paso leerPasoLineaBase(const std::string& texto, const std::vector<std::string>& parametros);
Paso leerPasoRechazo(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros,
                     const OpcionesPasos& opciones);
Paso leerPasoQuitarEpocas(const std::string& texto, const std::vector<std::string>& parametros);
// conVentana: the text also gave a window, which an epoched branch does not
// need (a note says so).
Paso leerPasoPromediadoEpocas(const std::string& texto, std::vector<TipoEvento> tipos, bool conVentana);

// "1.1+2.1", as the runner's texts name kinds.
std::string textoTipos(const std::vector<TipoEvento>& tipos);
