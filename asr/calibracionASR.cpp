#include "asr/calibracionASR.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "asr/ajusteDistribucion.h"
#include "asr/filtroIIR.h"
#include "asr/medianaGeometrica.h"
#include "asr/ventanasASR.h"
#include "asr/yulewalk.h"

arma::mat covarianzaBloques(const arma::mat& datos, arma::uword bloque) {
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    if (S == 0 || bloque == 0) throw std::invalid_argument("covarianza por bloques: no hay muestras");
    const arma::uword bloques = (S - 1) / bloque + 1;
    const arma::uword P = C * (C + 1) / 2;
    arma::mat U(P, bloques, arma::fill::zeros);
    for (arma::uword j = 0; j < bloques; ++j) {
        double* u = U.colptr(j);
        for (arma::uword k = 0; k < bloque; ++k) {
            const double* x = datos.colptr(std::min(k + bloque * j, S - 1));
            // Entry (c1, c2), c1 <= c2, of the outer product.
            arma::uword p = 0;
            for (arma::uword c2 = 0; c2 < C; ++c2) {
                const double x2 = x[c2];
                for (arma::uword c1 = 0; c1 <= c2; ++c1) u[p++] += x[c1] * x2;
            }
        }
    }
    return U;
}

namespace {

constexpr double solapamientoCalibracion = 0.66;
constexpr double segundosVentanaCalibracion = 0.5;

// Weights that make the distance over the packed triangle equal the one over
// all C x C entries: off-diagonal entries count twice.
arma::vec pesosTriangulo(arma::uword C) {
    arma::vec pesos(C * (C + 1) / 2, arma::fill::value(2.0));
    arma::uword p = 0;
    for (arma::uword c2 = 0; c2 < C; ++c2) {
        p += c2;
        pesos(p++) = 1.0;
    }
    return pesos;
}

arma::mat desempaquetar(const arma::vec& triangulo, arma::uword C) {
    arma::mat m(C, C);
    arma::uword p = 0;
    for (arma::uword c2 = 0; c2 < C; ++c2)
        for (arma::uword c1 = 0; c1 <= c2; ++c1, ++p) m(c1, c2) = m(c2, c1) = triangulo(p);
    return m;
}

}  // namespace

CalibracionASR calibrarASR(const arma::mat& datos, int32_t frecuencia, double cutoff, const ContextoASR& parametros) {
    const arma::uword C = datos.n_rows, S = datos.n_cols;
    if (C == 0 || S == 0) throw std::invalid_argument("calibración ASR: no hay muestras limpias");
    CalibracionASR r;
    filtroConformacion(frecuencia, r.B, r.A);
    if (!datos.is_finite()) throw std::invalid_argument("calibración ASR: los datos contienen valores no finitos");

    // Spectral shaping from a zero state; its final state continues into processing.
    const arma::mat filtrados = filtrarIIR(r.B, r.A, datos, arma::mat(), r.iirstate);
    if (!filtrados.is_finite())
        throw std::runtime_error("calibración ASR: el filtro de conformación produjo valores no finitos");

    // Robust covariance: geometric median of the block covariances.
    arma::mat U = covarianzaBloques(filtrados, 10);
    U /= 10.0;
    const arma::mat covarianza = desempaquetar(medianaGeometrica(U, pesosTriangulo(C)), C);
    U.reset();
    r.M = arma::real(arma::sqrtmat(covarianza));

    arma::cx_vec valores;
    arma::cx_mat vectores;
    if (!arma::eig_gen(valores, vectores, r.M) || vectores.n_rows != C || vectores.n_cols != C)
        throw std::runtime_error("calibración ASR: falló la descomposición en valores propios de M");
    const arma::mat V = arma::real(vectores);
    const arma::mat X = arma::abs(filtrados.t() * V);  // S x C, one column per component

    // Component RMS over half-second windows, then the robust fit per component.
    const arma::uword N = static_cast<arma::uword>(std::ceil(segundosVentanaCalibracion * frecuencia));
    const arma::uvec inicios = iniciosVentanas(S, N, (1 - solapamientoCalibracion) * static_cast<double>(N));
    if (inicios.is_empty())
        throw std::invalid_argument("calibración ASR: los datos limpios (" + std::to_string(S) +
                                    " muestras) no llegan a una ventana de " + std::to_string(N + 1) + " muestras");
    const ParametrosAjuste ajuste = parametrosAjuste(parametros);
    arma::vec mu(C), sig(C);
    for (arma::uword c = 0; c < C; ++c) {
        try {
            ajusteDistribucionRobusta(rmsVentanas(X.col(c), inicios, N), 0.25, 0.1, ajuste, mu(c), sig(c));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("calibración ASR, componente " + std::to_string(c + 1) + ": " + e.what());
        }
    }
    r.T = arma::diagmat(mu + cutoff * sig) * V.t();
    return r;
}

void calibrarASR(ContextoASR& ctx, int32_t cutoff) {
    if (ctx.calibracion.matrices.empty()) throw std::invalid_argument("calibración ASR: no hay datos de calibración");
    CalibracionASR r = calibrarASR(ctx.calibracion.datos(), ctx.calibracion.frecuenciaMuestreo, cutoff, ctx);
    ctx.M = std::move(r.M);
    ctx.T = std::move(r.T);
    ctx.B = std::move(r.B);
    ctx.A = std::move(r.A);
    ctx.iirstate = std::move(r.iirstate);
}

void calibrarASR(ContextoASR& ctx) { calibrarASR(ctx, ctx.cutoff); }
