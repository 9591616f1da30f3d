#include "mara/icaExtendidaBloque.h"

#include <cstdint>
#include <cstring>

// One clone per instruction set; the loops below have no branches, so each
// clone runs them as whole vectors. This file is compiled without
// floating-point contraction (see mara/CMakeLists.txt).
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones) && !defined(__clang__)
#define ONDELAR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
#ifndef ONDELAR_CLONES
#define ONDELAR_CLONES
#endif

namespace icaDetalle {

namespace {

inline uint64_t bits(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

inline double deBits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// tanh through e = exp(z), z = -2|x| clamped to [-700, 0] (below, e is under
// 1e-304 and tanh rounds to ±1). z = n ln2 + r: n rounded by adding 1.5 2^52,
// whose low mantissa bits are then n itself, so 2^n is built with integer
// lane operations; ln2 in two parts keeps r exact to a few ulp.
inline double tanhEscalar(double x) {
    constexpr double desplazamiento = 0x1.8p52;
    constexpr double invLn2 = 0x1.71547652b82fep0;
    constexpr double ln2Alto = 0x1.62e42fee00000p-1;
    constexpr double ln2Bajo = 0x1.a39ef35793c76p-33;
    const double a = x < 0.0 ? -x : x;
    double z = -2.0 * a;
    z = z < -700.0 ? -700.0 : z;
    const double k = z * invLn2 + desplazamiento;
    const double n = k - desplazamiento;
    const double r = (z - n * ln2Alto) - n * ln2Bajo;
    // exp(r) by Horner on the Taylor coefficients 1/j!, j = 13 down to 0:
    // |r| <= 0.35 leaves a truncation below 1e-17.
    double p = 1.0 / 6227020800.0;
    p = p * r + 1.0 / 479001600.0;
    p = p * r + 1.0 / 39916800.0;
    p = p * r + 1.0 / 3628800.0;
    p = p * r + 1.0 / 362880.0;
    p = p * r + 1.0 / 40320.0;
    p = p * r + 1.0 / 5040.0;
    p = p * r + 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    // 2^n: n sits in the low bits of k as a two's-complement offset from 2^51.
    const uint64_t exponente = (bits(k) - bits(desplazamiento) + 1023u) << 52;
    const double e = p * deBits(exponente);
    const double t = (1.0 - e) / (1.0 + e);
    return x < 0.0 ? -t : t;
}

}  // namespace

ONDELAR_CLONES
void tangenteHiperbolica(const double* x, double* t, arma::uword n) {
    for (arma::uword i = 0; i < n; ++i) t[i] = tanhEscalar(x[i]);
}

ONDELAR_CLONES
void nolinealidadBloque(double* u, const double* sesgo, const double* signos, arma::uword Q, arma::uword B, double* y,
                        double* sumaT) {
    for (arma::uword i = 0; i < Q; ++i) sumaT[i] = 0.0;
    for (arma::uword j = 0; j < B; ++j) {
        double* uj = u + j * Q;
        double* yj = y + j * Q;
        for (arma::uword i = 0; i < Q; ++i) {
            const double x = uj[i] + sesgo[i];
            const double t = tanhEscalar(x);
            uj[i] = x;
            sumaT[i] += t;
            yj[i] = signos[i] * t + x;
        }
    }
}

ONDELAR_CLONES
bool actualizarPesos(double* pesos, const double* MW, arma::uword n, double escala, double eta, double limite) {
    // Counted rather than left early, so the loop stays one vector pass; a
    // NaN fails the comparison and counts as blown up.
    arma::uword dentro = 0;
    for (arma::uword k = 0; k < n; ++k) {
        const double w = escala * pesos[k] - eta * MW[k];
        pesos[k] = w;
        const double a = w < 0.0 ? -w : w;
        dentro += a <= limite ? 1u : 0u;
    }
    return dentro == n;
}

ONDELAR_CLONES
void acumularMomentos(const double* act, arma::uword Q, arma::uword n, double* m2, double* m4) {
    for (arma::uword j = 0; j < n; ++j) {
        const double* a = act + j * Q;
        for (arma::uword i = 0; i < Q; ++i) {
            const double c = a[i] * a[i];
            m2[i] += c;
            m4[i] += c * c;
        }
    }
}

}  // namespace icaDetalle
