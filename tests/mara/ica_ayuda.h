#pragma once
// Helpers shared by the ICA tests: known sources, mixing and the Amari index.

#include <cmath>
#include <cstdint>
#include <random>

#include <armadillo>

namespace icaPrueba {

// n sources of T samples, cycling Laplacian, uniform, sine, square; each has
// zero mean and unit variance. Frequencies are incommensurate so that the
// periodic sources are independent of each other over the record.
inline arma::mat fuentesConocidas(arma::uword n, arma::uword T, uint32_t semilla) {
    std::mt19937 motor(semilla);
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    arma::mat S(n, T);
    const double pi = 3.14159265358979323846;
    for (arma::uword i = 0; i < n; ++i) {
        const double f = 0.0123 * (1.0 + 0.731 * static_cast<double>(i));
        const double fase = 2.0 * pi * uni(motor);
        for (arma::uword t = 0; t < T; ++t) {
            const double x = 2.0 * pi * f * static_cast<double>(t) + fase;
            switch (i % 4) {
            case 0: {  // Laplacian with unit variance (scale 1/sqrt 2)
                const double r = uni(motor) - 0.5;
                S(i, t) = -(r < 0 ? -1.0 : 1.0) * std::log(1.0 - 2.0 * std::abs(r)) / std::sqrt(2.0);
                break;
            }
            case 1: S(i, t) = std::sqrt(3.0) * (2.0 * uni(motor) - 1.0); break;
            case 2: S(i, t) = std::sqrt(2.0) * std::sin(x); break;
            default: S(i, t) = std::sin(x) < 0 ? -1.0 : 1.0; break;
            }
        }
    }
    S.each_col() -= arma::mean(S, 1);
    S.each_col() /= arma::stddev(S, 0, 1);
    return S;
}

// Random n x n mixing with singular values between 1 and 3 (condition <= 3).
inline arma::mat mezclaBienCondicionada(arma::uword n, uint32_t semilla) {
    std::mt19937 motor(semilla);
    std::normal_distribution<double> normal(0.0, 1.0);
    arma::mat G1(n, n), G2(n, n);
    for (double& g : G1) g = normal(motor);
    for (double& g : G2) g = normal(motor);
    arma::mat U, V, R;
    arma::qr(U, R, G1);
    arma::qr(V, R, G2);
    arma::vec s = arma::linspace(1.0, 3.0, n);
    return U * arma::diagmat(s) * V.t();
}

// Amari index of P (0 for a scaled permutation, at most 1):
// [sum_i (sum_j |p_ij| / max_j |p_ij| - 1) + sum_j (sum_i |p_ij| / max_i |p_ij| - 1)] / (2 n (n - 1)).
inline double indiceAmari(const arma::mat& P) {
    const arma::mat A = arma::abs(P);
    const double n = static_cast<double>(A.n_rows);
    const double filas = arma::accu(arma::sum(A, 1) / arma::max(A, 1) - 1.0);
    const double columnas = arma::accu(arma::sum(A, 0) / arma::max(A, 0) - 1.0);
    return (filas + columnas) / (2.0 * n * (n - 1.0));
}

}  // namespace icaPrueba
