#include "asr/calibracionASR.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "asr/ajusteDistribucion.h"
#include "asr/filtroIIR.h"
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

// The block kernels below are built for several instruction sets and picked at
// run time; they run over the whole filtered recording at every step of the
// geometric median.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones) && !defined(__clang__)
#define ONDELAR_CLONES_ASR __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
#ifndef ONDELAR_CLONES_ASR
#define ONDELAR_CLONES_ASR
#endif

constexpr arma::uword fasesBloque = 10;

// Kernels with several clones live outside the anonymous namespace: the
// run-time choice needs an ordinary symbol.
namespace calibracionDetalle {

// Column j of covarianzaBloques(datos, 10) / 10 into u (P = C (C + 1) / 2
// values), by the same sums in the same order.
ONDELAR_CLONES_ASR
void covarianzaBloque(const double* datos, arma::uword C, arma::uword S, arma::uword j, double* u) {
    const arma::uword P = C * (C + 1) / 2;
    for (arma::uword p = 0; p < P; ++p) u[p] = 0.0;
    for (arma::uword k = 0; k < fasesBloque; ++k) {
        const double* x = datos + std::min(k + fasesBloque * j, S - 1) * C;
        double* up = u;
        for (arma::uword c2 = 0; c2 < C; ++c2) {
            const double x2 = x[c2];
            for (arma::uword c1 = 0; c1 <= c2; ++c1) up[c1] += x[c1] * x2;
            up += c2 + 1;
        }
    }
    for (arma::uword p = 0; p < P; ++p) u[p] /= 10.0;
}

// Weighted distance between u and y with the four partial sums of the
// geometric median's own loop.
double distanciaPonderada(const double* u, const double* y, const double* w, arma::uword P) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    arma::uword p = 0;
    for (; p + 4 <= P; p += 4) {
        const double d0 = u[p] - y[p], d1 = u[p + 1] - y[p + 1], d2 = u[p + 2] - y[p + 2], d3 = u[p + 3] - y[p + 3];
        s0 += w[p] * d0 * d0;
        s1 += w[p + 1] * d1 * d1;
        s2 += w[p + 2] * d2 * d2;
        s3 += w[p + 3] * d3 * d3;
    }
    for (; p < P; ++p) {
        const double d = u[p] - y[p];
        s0 += w[p] * d * d;
    }
    return std::sqrt((s0 + s1) + (s2 + s3));
}

ONDELAR_CLONES_ASR
void sumarPonderado(double* destino, const double* u, double peso, arma::uword P) {
    for (arma::uword p = 0; p < P; ++p) destino[p] += peso * u[p];
}

}  // namespace calibracionDetalle

namespace {

using calibracionDetalle::covarianzaBloque;
using calibracionDetalle::distanciaPonderada;
using calibracionDetalle::sumarPonderado;

double normaPonderada(const arma::vec& v, const arma::vec& pesos) { return std::sqrt(arma::dot(pesos, arma::square(v))); }

// Geometric median (Weiszfeld, from the mean, tolerance 1e-5, at most 500
// steps; the rules of medianaGeometrica) of the block covariances of F
// (C x S, one column per filtered sample), each block formed again at every
// step instead of kept: the blocks together would take C (C + 1) / 20 times
// the memory of F. Returns the packed upper triangle.
arma::vec medianaCovarianzasBloques(const arma::mat& F, const Avance& avance) {
    const arma::uword C = F.n_rows, S = F.n_cols;
    const arma::uword n = (S - 1) / fasesBloque + 1;
    const arma::uword P = C * (C + 1) / 2;
    const arma::vec pesos = pesosTriangulo(C);
    const double tolerancia = 1e-5;
    const int maxIteraciones = 500;
    arma::vec u(P), y(P, arma::fill::zeros), acumulado(P);
    // Progress in steps out of the maximum; within a step every few blocks,
    // since one step runs over the whole filtered recording.
    const double pasos = maxIteraciones + 1;
    constexpr arma::uword bloquesPorInforme = 1024;
    const double nd = static_cast<double>(n);
    for (arma::uword j = 0; j < n; ++j) {
        covarianzaBloque(F.memptr(), C, S, j, u.memptr());
        y += u;
        if (j % bloquesPorInforme == bloquesPorInforme - 1) avance(static_cast<double>(j) / nd, pasos);
    }
    y /= static_cast<double>(n);
    arma::vec inversas(n);
    for (int it = 0; it < maxIteraciones; ++it) {
        const double escala = normaPonderada(y, pesos);
        const double minimo = std::max(escala * 1e-14, std::numeric_limits<double>::min());
        acumulado.zeros();
        for (arma::uword j = 0; j < n; ++j) {
            covarianzaBloque(F.memptr(), C, S, j, u.memptr());
            inversas(j) = 1.0 / std::max(distanciaPonderada(u.memptr(), y.memptr(), pesos.memptr(), P), minimo);
            sumarPonderado(acumulado.memptr(), u.memptr(), inversas(j), P);
            if (j % bloquesPorInforme == bloquesPorInforme - 1) avance(it + 1 + static_cast<double>(j) / nd, pasos);
        }
        const arma::vec nuevo = acumulado / arma::accu(inversas);
        const double cambio = normaPonderada(nuevo - y, pesos) / normaPonderada(nuevo, pesos);
        y = nuevo;
        avance(it + 2, pasos);
        if (cambio < tolerancia) break;
    }
    return y;
}

// filtrarIIR in place over the first S columns of X, from a zero state, with
// the same operations per channel; the channels advance together so that the
// loop runs over contiguous memory. Returns the final state (orden x C).
arma::mat filtrarIIREnSitio(const arma::vec& B, const arma::vec& A, arma::mat& X, arma::uword S, const Avance& avance) {
    if (A.is_empty() || B.is_empty() || A(0) == 0.0)
        throw std::invalid_argument("calibración ASR: filtro de conformación no válido");
    const arma::uword n = std::max(A.n_elem, B.n_elem), orden = n - 1, C = X.n_rows;
    arma::vec b(n, arma::fill::zeros), a(n, arma::fill::zeros);
    b.head(B.n_elem) = B / A(0);
    a.head(A.n_elem) = A / A(0);
    arma::mat z(C, orden + 1, arma::fill::zeros);  // column k: state k of every channel; the last stays 0
    arma::vec y(C);
    for (arma::uword s = 0; s < S; ++s) {
        double* x = X.colptr(s);
        for (arma::uword c = 0; c < C; ++c) y[c] = b[0] * x[c] + z(c, 0);
        for (arma::uword k = 0; k < orden; ++k) {
            double* zk = z.colptr(k);
            const double* zs = z.colptr(k + 1);
            const double bk = b[k + 1], ak = a[k + 1];
            for (arma::uword c = 0; c < C; ++c) zk[c] = bk * x[c] + zs[c] - ak * y[c];
        }
        std::copy(y.begin(), y.end(), x);
        if (s % 4096 == 4095) avance(static_cast<double>(s), static_cast<double>(S));
    }
    return orden > 0 ? arma::mat(z.cols(0, orden - 1).t()) : arma::mat(0, C);
}

// RMS of |V' x| over each window of N samples starting at `inicios`, per
// component: W x C. The products are formed slice by slice of the samples.
arma::mat rmsComponentes(const arma::mat& F, const arma::mat& V, const arma::uvec& inicios, arma::uword N,
                         const Avance& avance) {
    const arma::uword C = F.n_rows, W = inicios.n_elem;
    const arma::uword ancho = std::max<arma::uword>(N, 8192);
    arma::mat rms(W, C);
    arma::uword w = 0;
    while (w < W) {
        const arma::uword desde = inicios(w);
        const arma::uword hasta = std::min<arma::uword>(F.n_cols, desde + ancho);
        const arma::mat tramo(const_cast<double*>(F.colptr(desde)), C, hasta - desde, false, true);
        const arma::mat cuadrados = arma::square(arma::abs(tramo.t() * V));  // samples x components
        for (; w < W && inicios(w) + N <= hasta; ++w)
            for (arma::uword c = 0; c < C; ++c)
                rms(w, c) = std::sqrt(arma::mean(cuadrados.col(c).subvec(inicios(w) - desde, inicios(w) - desde + N - 1)));
        avance(static_cast<double>(w) / static_cast<double>(W));
    }
    return rms;
}

}  // namespace

CalibracionASR calibrarASREnSitio(arma::mat& datos, const arma::uvec& limpias, int32_t frecuencia, double cutoff,
                                  const ContextoASR& parametros, const Avance& avance) {
    const arma::uword C = datos.n_rows, S = limpias.n_elem;
    if (C == 0 || S == 0) throw std::invalid_argument("calibración ASR: no hay muestras limpias");
    CalibracionASR r;
    filtroConformacion(frecuencia, r.B, r.A);
    const Avance etapa = avance.tramo(0.0, 1.0, "calibrando");
    etapa(0.0);

    // The clean samples to the front, in order (a column only ever moves left).
    for (arma::uword k = 0; k < S; ++k) {
        const arma::uword j = limpias(k);
        if (j >= datos.n_cols || (k > 0 && j <= limpias(k - 1)))
            throw std::invalid_argument("calibración ASR: columna limpia " + std::to_string(j) + " no válida");
        if (j != k) std::copy(datos.colptr(j), datos.colptr(j) + C, datos.colptr(k));
        if (k % 65536 == 65535) etapa(0.01 * static_cast<double>(k) / static_cast<double>(S));
    }
    arma::mat F(datos.memptr(), C, S, false, true);  // the clean samples, then filtered, in place
    if (!F.is_finite()) throw std::invalid_argument("calibración ASR: los datos contienen valores no finitos");

    // Spectral shaping from a zero state; its final state continues into processing.
    r.iirstate = filtrarIIREnSitio(r.B, r.A, datos, S, etapa.tramo(0.01, 0.05));
    if (!F.is_finite()) throw std::runtime_error("calibración ASR: el filtro de conformación produjo valores no finitos");
    etapa(0.05);

    // Robust covariance: geometric median of the block covariances.
    const arma::mat covarianza = desempaquetar(medianaCovarianzasBloques(F, etapa.tramo(0.05, 0.75)), C);
    r.M = arma::real(arma::sqrtmat(covarianza));

    arma::cx_vec valores;
    arma::cx_mat vectores;
    if (!arma::eig_gen(valores, vectores, r.M) || vectores.n_rows != C || vectores.n_cols != C)
        throw std::runtime_error("calibración ASR: falló la descomposición en valores propios de M");
    const arma::mat V = arma::real(vectores);

    // Component RMS over half-second windows, then the robust fit per component.
    const arma::uword N = static_cast<arma::uword>(std::ceil(segundosVentanaCalibracion * frecuencia));
    const arma::uvec inicios = iniciosVentanas(S, N, (1 - solapamientoCalibracion) * static_cast<double>(N));
    if (inicios.is_empty())
        throw std::invalid_argument("calibración ASR: los datos limpios (" + std::to_string(S) +
                                    " muestras) no llegan a una ventana de " + std::to_string(N + 1) + " muestras");
    const arma::mat rms = rmsComponentes(F, V, inicios, N, etapa.tramo(0.75, 0.9));
    const ParametrosAjuste ajuste = parametrosAjuste(parametros);
    const Avance avanceAjuste = etapa.tramo(0.9, 1.0);
    arma::vec mu(C), sig(C);
    for (arma::uword c = 0; c < C; ++c) {
        avanceAjuste(static_cast<double>(c), static_cast<double>(C));
        try {
            ajusteDistribucionRobusta(rms.col(c), 0.25, 0.1, ajuste, mu(c), sig(c));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("calibración ASR, componente " + std::to_string(c + 1) + ": " + e.what());
        }
    }
    r.T = arma::diagmat(mu + cutoff * sig) * V.t();
    etapa(1.0);
    return r;
}

CalibracionASR calibrarASR(const arma::mat& datos, int32_t frecuencia, double cutoff, const ContextoASR& parametros) {
    if (datos.n_rows == 0 || datos.n_cols == 0) throw std::invalid_argument("calibración ASR: no hay muestras limpias");
    arma::mat copia = datos;
    return calibrarASREnSitio(copia, arma::regspace<arma::uvec>(0, datos.n_cols - 1), frecuencia, cutoff, parametros);
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
