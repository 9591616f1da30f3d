#pragma once
// Small MARA model sets for the tests, written into a fresh temp folder.

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <armadillo>

#include "io/EEG.h"
#include "mara/etiquetasMara.h"
#include "mara/modeloMara.h"

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
    const arma::uword n = 40;
    m.patronesEntrenamiento = arma::randn(104, n);
    m.caracteristicasEntrenamiento = arma::randn(6, n);
    m.etiquetasEntrenamiento = arma::rowvec(n);
    for (arma::uword j = 0; j < n; ++j) {
        const bool grupo1 = j % 2 == 0;
        m.etiquetasEntrenamiento(0, j) = grupo1 ? 1.0 : 2.0;
        const bool lejos = (tipo == Entrenamiento::todoArtefacto) ? !grupo1 : grupo1;
        if (lejos) m.caracteristicasEntrenamiento.submat(2, j, 5, j) += 1000.0;
    }
    return m;
}

class DirectorioTemporal {
public:
    DirectorioTemporal() {
        std::random_device rd;
        ruta = std::filesystem::temp_directory_path() / ("ondelar_mara_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(ruta);
    }
    ~DirectorioTemporal() {
        std::error_code e;
        std::filesystem::remove_all(ruta, e);
    }
    DirectorioTemporal(const DirectorioTemporal&) = delete;
    DirectorioTemporal& operator=(const DirectorioTemporal&) = delete;
    std::filesystem::path ruta;
};

// An averaged-like record (no event table): C channels, the first nMara with
// labels of etiquetasMara() (every third one), the rest "EOG<k>"; samples
// of mixed sines and noise.
inline EEG registroSintetico(uint32_t C, uint32_t nMara, int32_t fs, int64_t muestras, unsigned semilla = 3) {
    EEG eeg(fs, C, muestras);
    for (uint32_t c = 0; c < C; ++c)
        (*eeg.canales)[c].etiqueta = c < nMara ? etiquetasMara()[(3 * c) % etiquetasMara().size()]
                                               : "EOG" + std::to_string(c - nMara);
    arma::arma_rng::set_seed(semilla);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, static_cast<double>(muestras - 1)) / fs;
    arma::mat fuentes(C, muestras);
    for (uint32_t c = 0; c < C; ++c)
        fuentes.row(c) = arma::sin(2.0 * M_PI * (3.0 + 1.7 * c) * t + c) + 0.5 * arma::randn<arma::rowvec>(muestras);
    eeg.matrices[0] = arma::randn(C, C) * fuentes + 10.0;
    return eeg;
}

}  // namespace prueba_mara
