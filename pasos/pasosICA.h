#pragma once
// The steps over an ICA decomposition, as the catalogue builds them from
// their texts: ica (decompose, or apply a stored decomposition), mara and
// quitar-componentes, and the last as the component review hands it over.

#include <string>
#include <vector>

#include <armadillo>

#include "pasos/catalogoPasos.h"

// ica: the activations of a new decomposition; ica:ARCHIVO: those of the
// decomposition stored in that file (a choice reviewed elsewhere, replayed).
Paso leerPasoICA(const std::string& texto, const std::vector<std::string>& parametros, bool hayParametros,
                 const OpcionesPasos& opciones);
Paso leerPasoMARA(const std::string& texto, bool hayParametros, const OpcionesPasos& opciones);
// quitar-componentes:3,7,12 (numbers from 1).
Paso leerPasoQuitarComponentes(const std::string& texto, const std::vector<std::string>& parametros);

// The branch without those components (numbers from 1). The history tag is
// "ICA −3,7,12", followed by `origen` in brackets when given ("MARA 3,7;
// manual 12").
Paso pasoQuitarComponentes(std::vector<arma::uword> quitar, const std::string& origen = {});
