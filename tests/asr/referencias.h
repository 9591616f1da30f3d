#pragma once
// Reading the committed reference outputs of tests/data/asr (Armadillo
// binary files written by the GNU Octave scripts there).

#include <string>

#include <armadillo>

#include <gtest/gtest.h>

#include "tests/io/capturas.h"

inline arma::mat cargarReferencia(const std::string& nombre) {
    arma::mat m;
    const std::string ruta = std::string(ONDELAR_RAIZ) + "/tests/data/asr/" + nombre;
    if (!m.load(ruta, arma::arma_binary)) ADD_FAILURE() << "no se pudo leer " << ruta;
    return m;
}

// max |a - b| / max |b|, the relative error of a whole matrix.
inline double errorRelativo(const arma::mat& a, const arma::mat& b) {
    if (a.n_rows != b.n_rows || a.n_cols != b.n_cols) return arma::datum::inf;
    const double escala = arma::abs(b).max();
    return arma::abs(a - b).max() / (escala > 0 ? escala : 1.0);
}

