#pragma once
// Inputs of the ICA reference runs (tests/data/ica/). They are built from
// std::mt19937, whose stream the standard fixes, and plain arithmetic, so the
// program that wrote the references and the test build the same matrices.

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <armadillo>

namespace prueba_ica {

// C sources of T samples cycling Laplacian, uniform, sine and square wave,
// mixed by identity plus uniform noise in [-0.5, 0.5).
inline arma::mat mezclaReferencia(arma::uword C, arma::uword T, uint32_t semilla) {
    std::mt19937 motor(semilla);
    auto uniforme = [&] { return (static_cast<double>(motor()) + 0.5) / 4294967296.0; };
    arma::mat S(C, T);
    for (arma::uword i = 0; i < C; ++i) {
        const double f = 0.0123 * (1.0 + 0.731 * static_cast<double>(i));
        for (arma::uword t = 0; t < T; ++t) {
            const double u = uniforme() - 0.5;
            const double seno = std::sin(2.0 * M_PI * f * static_cast<double>(t));
            switch (i % 4) {
            case 0: S(i, t) = (u < 0 ? 1.0 : -1.0) * std::log(1.0 - 2.0 * std::abs(u)); break;
            case 1: S(i, t) = u; break;
            case 2: S(i, t) = seno; break;
            default: S(i, t) = seno < 0 ? -1.0 : 1.0; break;
            }
        }
    }
    arma::mat A(C, C);
    for (arma::uword j = 0; j < C; ++j)
        for (arma::uword i = 0; i < C; ++i) A(i, j) = (i == j ? 1.0 : 0.0) + uniforme() - 0.5;
    return A * S;
}

struct CasoReferencia {
    std::string nombre;
    arma::uword canales, muestras;
    uint32_t semillaDatos, semillaICA;
    double eta;
};

// Kurtosis on a sub-sample (T > 6000), restarts (eta 0.1), more than 32
// components (tolerance 1e-7) and a small plain case.
inline std::vector<CasoReferencia> casosReferencia() {
    return {{"seis_7000", 6, 7000, 5, 11, 0.001},
            {"tres_reinicios", 3, 3000, 9, 3, 0.1},
            {"treintaytres_2500", 33, 2500, 21, 7, 0.001},
            {"cuatro_1500", 4, 1500, 2, 42, 0.001}};
}

}  // namespace prueba_ica
