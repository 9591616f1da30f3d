#pragma once
// The model files the build generated (ONDELAR_MODELOS, the build folder)
// and the head model behind them, for the tests of the shipped MARA model.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Channel labels of a .ced file (second tab-separated column).
inline std::vector<std::string> etiquetasCED(const std::string& ruta) {
    std::ifstream f(ruta);
    std::string linea;
    std::getline(f, linea);
    std::vector<std::string> v;
    while (std::getline(f, linea)) {
        std::istringstream campos(linea);
        std::string numero, etiqueta;
        if (std::getline(campos, numero, '\t') && std::getline(campos, etiqueta, '\t')) v.push_back(etiqueta);
    }
    return v;
}

}  // namespace prueba_modelo
