// Writes the MARA model files that ship with Ondelar into the given folder
// (the build runs it into the folder of the executables): the four-sphere
// lead field "maraL.bin" and the simulated training set "marapattern.bin",
// "marax.bin" and "maralabels.bin". Deterministic: the same sources give
// the same files. Parameters in mara/modelo/parametrosSimulacion.h.
//
//   generar_modelo_mara CARPETA_SALIDA TABLA_ELECTRODOS

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "mara/modelo/geometriaCabeza.h"
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
        std::printf("modelo MARA: campo conductor %llu x %llu x 3 en %.2f s; %llu componentes de entrenamiento "
                    "(%llu artefactos, %llu cerebrales); total %.2f s\n",
                    static_cast<unsigned long long>(cabeza.leadfield.n_rows),
                    static_cast<unsigned long long>(cabeza.leadfield.n_cols), tCampo,
                    static_cast<unsigned long long>(etiquetas.n_elem),
                    static_cast<unsigned long long>(arma::accu(etiquetas == 1.0)),
                    static_cast<unsigned long long>(arma::accu(etiquetas == 2.0)), segundos(inicio));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generar_modelo_mara: %s\n", e.what());
        return 1;
    }
}
