// Writes the MARA model files that ship with Ondelar into the given folder
// (the build runs it into the folder of the executables): the four-sphere
// lead field "maraL.bin" and the simulated training set "marapattern.bin",
// "marax.bin" and "maralabels.bin". Deterministic: the same sources give
// the same files. Parameters in mara/modelo/parametrosSimulacion.h.
//
//   generar_modelo_mara CARPETA_SALIDA TABLA_ELECTRODOS

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <locale>
#include <sstream>
#include <exception>
#include <string>

#include "mara/modelo/geometriaCabeza.h"
#include "mara/modelo/parametrosSimulacion.h"
#include "mara/modelo/simulacionEntrenamiento.h"
#include "mara/modeloMara.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "uso: generar_modelo_mara CARPETA_SALIDA TABLA_ELECTRODOS\n");
        return 2;
    }
    try {
        using reloj = std::chrono::steady_clock;
        auto segundos = [](reloj::time_point desde) {
            return std::chrono::duration<double>(reloj::now() - desde).count();
        };
        const auto inicio = reloj::now();
        const CabezaSimulada cabeza = construirCabeza(leerTablaElectrodos(argv[2]));
        const double tCampo = segundos(inicio);
        const ModeloMara modelo = modeloEntrenamiento(cabeza);
        guardarModeloMara(modelo, argv[1]);
        const arma::rowvec etiquetas = modelo.etiquetasEntrenamiento.row(0);
        // A stream in the classic locale: the figures read the same anywhere.
        std::ostringstream informe;
        informe.imbue(std::locale::classic());
        informe << std::fixed << std::setprecision(2) << "modelo MARA: campo conductor " << cabeza.leadfield.n_rows
                << " x " << cabeza.leadfield.n_cols << " x 3 en " << tCampo << " s; " << etiquetas.n_elem
                << " componentes de entrenamiento (" << arma::accu(etiquetas == 1.0) << " artefactos, "
                << arma::accu(etiquetas == 2.0) << " cerebrales, " << parametrosSimulacion::nCerebroSinAlfa
                << " de ellas sin alfa); total " << segundos(inicio) << " s\n";
        std::cout << informe.str();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generar_modelo_mara: %s\n", e.what());
        return 1;
    }
}
