// Writes the ICA reference results of tests/mara/ica_test.cpp: for each case
// of prueba_ica::casosReferencia(), <nombre>_pesos.bin, <nombre>_esfera.bin
// (Armadillo binary) and <nombre>_informe.bin (passes done, restarts,
// converged 0/1, final learning rate). The committed files were written by
// the ICA as it was before its passes were rewritten for speed; they pin the
// results a seed gives.
//
//   generar_referencias_ica tests/data/ica

#include <cstdio>
#include <string>

#include <armadillo>

#include "mara/icaExtendidaDetalle.h"
#include "tests/mara/datosReferenciaICA.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: generar_referencias_ica CARPETA\n");
        return 2;
    }
    const std::string carpeta = argv[1];
    for (const auto& caso : prueba_ica::casosReferencia()) {
        arma::mat pesos, esfera;
        const auto informe = icaDetalle::icaExtendidaInforme(
            prueba_ica::mezclaReferencia(caso.canales, caso.muestras, caso.semillaDatos), pesos, esfera, caso.eta,
            static_cast<int>(caso.canales), caso.semillaICA);
        const arma::vec resumen = {static_cast<double>(informe.pasadasTotales), static_cast<double>(informe.reinicios),
                                   informe.convergio ? 1.0 : 0.0, informe.etaFinal};
        const std::string base = carpeta + "/" + caso.nombre;
        if (!pesos.save(base + "_pesos.bin", arma::arma_binary) ||
            !esfera.save(base + "_esfera.bin", arma::arma_binary) ||
            !resumen.save(base + "_informe.bin", arma::arma_binary)) {
            std::fprintf(stderr, "no se pudo escribir %s\n", base.c_str());
            return 1;
        }
        std::printf("%s: %ld pasadas, %d reinicios, %s\n", caso.nombre.c_str(), informe.pasadasTotales,
                    informe.reinicios, informe.convergio ? "converge" : "sin converger");
    }
    return 0;
}
