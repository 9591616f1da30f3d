// Writes the MARA model files that ship with Ondelar into the given folder
// (the build runs it into the folder of the executables). Deterministic: the
// same sources give the same files.
//
//   generar_modelo_mara CARPETA_SALIDA TABLA_ELECTRODOS

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "mara/modelo/esferasConcentricas.h"
#include "mara/modelo/geometriaCabeza.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "uso: generar_modelo_mara CARPETA_SALIDA TABLA_ELECTRODOS\n");
        return 2;
    }
    const std::string carpeta = argv[1];
    try {
        const auto inicio = std::chrono::steady_clock::now();
        const TablaElectrodos tabla = leerTablaElectrodos(argv[2]);
        const ModeloEsferas esferas = ajustarEsfera(tabla.posiciones);
        const arma::mat fuentes = fuentesFibonacci(esferas);
        const arma::cube L = campoConductor(esferas, tabla.posiciones, fuentes);
        if (!L.save(carpeta + "/maraL.bin", arma::arma_binary)) throw std::runtime_error("no se pudo escribir maraL.bin");
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        std::printf("modelo MARA: campo conductor %llu x %llu x 3 en %.2f s\n",
                    static_cast<unsigned long long>(L.n_rows), static_cast<unsigned long long>(L.n_cols), s);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generar_modelo_mara: %s\n", e.what());
        return 1;
    }
}
