#pragma once
// The synthetic signal of tests/data/limpieza/generar_limpieza.py, rebuilt
// here term by term in the same order, and the loading of its references.

#include <cmath>
#include <string>

#include <armadillo>
#include <gtest/gtest.h>

// canales - 1 channels of alpha (10 Hz, 20 µV), line hum (30 µV at L, 5 µV
// at 2L), a slow wave (3.3 Hz, 8 µV) and 4 µV at 0.45 fs; the last channel
// silent.
inline arma::mat senalLimpieza(double fs, arma::uword n, arma::uword canales, double linea) {
    arma::mat x(canales, n, arma::fill::zeros);
    for (arma::uword c = 0; c + 1 < canales; ++c)
        for (arma::uword i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / fs, k = static_cast<double>(c);
            x(c, i) = 20 * std::sin(2 * M_PI * 10 * t + k) + 30 * std::sin(2 * M_PI * linea * t + k / 2) +
                      5 * std::sin(2 * M_PI * 2 * linea * t + k / 4) + 8 * std::sin(2 * M_PI * 3.3 * t + 2 * k) +
                      4 * std::sin(2 * M_PI * 0.45 * fs * t);
        }
    return x;
}

inline arma::mat referenciaLimpieza(const std::string& nombre) {
    arma::mat m;
    EXPECT_TRUE(m.load(ONDELAR_RAIZ "/tests/data/limpieza/" + nombre, arma::arma_binary)) << nombre;
    return m;
}

// Largest difference over the largest reference value.
inline double errorRelativo(const arma::mat& a, const arma::mat& b) {
    if (a.n_rows != b.n_rows || a.n_cols != b.n_cols) return INFINITY;
    return arma::abs(a - b).max() / arma::abs(b).max();
}

// Columns 0-299, 300 from the middle and the last 300, as the script keeps them.
inline arma::mat partesLimpieza(const arma::mat& y) {
    const arma::uword n = y.n_cols, m = n / 2 - 150;
    return arma::join_rows(y.cols(0, 299), y.cols(m, m + 299), y.cols(n - 300, n - 1));
}

// Amplitude of the f Hz sine in x (one row), by least squares on sin and cos
// over a whole number of its periods.
inline double amplitudEn(const arma::rowvec& x, double fs, double f) {
    double s = 0, c = 0;
    for (arma::uword i = 0; i < x.n_elem; ++i) {
        s += x(i) * std::sin(2 * M_PI * f * i / fs);
        c += x(i) * std::cos(2 * M_PI * f * i / fs);
    }
    return 2.0 * std::hypot(s, c) / static_cast<double>(x.n_elem);
}
