#pragma once
// Small MARA model sets for the tests, written into a fresh temp folder.

#include <filesystem>
#include <string>

#include <armadillo>

#include "io/EEG.h"
#include "mara/etiquetasMara.h"
#include "mara/modeloMara.h"
#include "tests/io/archivosPrueba.h"

namespace prueba_mara {

enum class Entrenamiento { todoArtefacto, nadaArtefacto };

// 40 training components with random scalp maps (the same distribution in
// both groups, so the spatial rows do not separate them) and a random
// 118 x 20 x 3 lead field. The time/frequency rows of group 1 sit at 0 and
// those of group 2 at 1000 (todoArtefacto) or the other way round: any real
// component then falls in group 1 (removed) or group 2 (kept).
inline ModeloMara modeloSintetico(Entrenamiento tipo) {
    arma::arma_rng::set_seed(2024);
    ModeloMara m;
    m.leadfield = 100.0 * arma::randn<arma::cube>(118, 20, 3);
    m.patronesEntrenamiento = arma::randn(104, 40);
    m.caracteristicasEntrenamiento = arma::randn(6, 40);
    m.etiquetasEntrenamiento = arma::rowvec(40);
    for (arma::uword j = 0; j < 40; ++j) {
        const bool grupo1 = j % 2 == 0;
        m.etiquetasEntrenamiento(0, j) = grupo1 ? 1.0 : 2.0;
        if (grupo1 == (tipo == Entrenamiento::nadaArtefacto)) m.caracteristicasEntrenamiento.submat(2, j, 5, j) += 1000.0;
    }
    return m;
}

// A temporary folder, removed with its files, as a path.
struct DirectorioTemporal : prueba::CarpetaTemporal {
    std::filesystem::path ruta{CarpetaTemporal::ruta()};
};

// An averaged-like record (no event table): C channels, the first nMara with
// labels of etiquetasMara() (every third one), the rest "EOG<k>"; samples
// of mixed sines and noise.
inline EEG registroSintetico(uint32_t C, uint32_t nMara, int32_t fs, int64_t muestras, unsigned semilla = 3) {
    EEG eeg(fs, C, muestras);
    arma::arma_rng::set_seed(semilla);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, double(muestras - 1)) / fs;
    arma::mat fuentes(C, muestras);
    for (uint32_t c = 0; c < C; ++c) {
        (*eeg.canales)[c].etiqueta = c < nMara ? etiquetasMara()[(3 * c) % etiquetasMara().size()]
                                               : "EOG" + std::to_string(c - nMara);
        fuentes.row(c) = arma::sin(2.0 * M_PI * (3.0 + 1.7 * c) * t + c) + 0.5 * arma::randn<arma::rowvec>(muestras);
    }
    eeg.matrices[0] = arma::randn(C, C) * fuentes + 10.0;
    return eeg;
}

}  // namespace prueba_mara
