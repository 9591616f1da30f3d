#pragma once
// The model files the build generated (ONDELAR_MODELOS, the build folder)
// and the head model behind them, for the tests of the shipped MARA model.

#include <filesystem>
#include <string>
#include <vector>

#include "io/leerCED.h"
#include "mara/modelo/geometriaCabeza.h"
#include "mara/modelo/simulacionEntrenamiento.h"
#include "mara/modeloMara.h"

namespace prueba_modelo {

inline std::filesystem::path directorioModelos() { return ONDELAR_MODELOS; }

inline const ModeloMara& modeloGenerado() {
    static const ModeloMara m = cargarModeloMara(directorioModelos());
    return m;
}

// The head model with the generated lead field (not recomputed).
inline const CabezaSimulada& cabeza() {
    static const CabezaSimulada c = construirCabeza(
        leerTablaElectrodos(ONDELAR_RAIZ "/mara/modelo/electrodos_1005_118.tsv"), modeloGenerado().leadfield);
    return c;
}

// The channel labels of a .ced file with `canales` lines, as the program reads them.
inline std::vector<std::string> etiquetasCED(const std::string& ruta, uint32_t canales) {
    EEG eeg(1, canales, 1);
    if (leerCED(eeg, ruta).canalesLeidos != canales) return {};
    std::vector<std::string> v;
    for (const Canal& c : *eeg.canales) v.push_back(c.etiqueta);
    return v;
}

}  // namespace prueba_modelo
