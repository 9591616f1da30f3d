#include "dsp/remuestreo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/math/special_functions/bessel.hpp>

#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"

namespace {

// Largest factor after reduction: its filter has 20 x factor + 1 taps.
constexpr int factorMaximo = 100000;

// Channels summed together for one output: 16 accumulators stay in
// registers while the taps stream past.
constexpr arma::uword canalesPorBloque = 16;

// The filter split by phase: phase r holds g(r), g(r + sube), g(r + 2 sube)...
// stored last first, so that its taps meet the inputs in increasing order.
struct Polifase {
    int sube = 1, baja = 1;
    arma::uword mitad = 0;                 // H
    std::vector<double> coeficientes;      // the phases one after another
    std::vector<arma::uword> inicio, numero;  // offset and tap count of each phase
};

Polifase prepararPolifase(int sube, int baja) {
    const arma::vec g = filtroRemuestreo(sube, baja);
    Polifase p;
    p.sube = sube;
    p.baja = baja;
    p.mitad = (g.n_elem - 1) / 2;
    const auto u = static_cast<arma::uword>(sube);
    for (arma::uword r = 0; r < u; ++r) {
        const arma::uword k = r < g.n_elem ? (g.n_elem - 1 - r) / u + 1 : 0;
        p.inicio.push_back(p.coeficientes.size());
        p.numero.push_back(k);
        for (arma::uword j = k; j-- > 0;) p.coeficientes.push_back(g(r + j * u));
    }
    return p;
}

// Two doubles in one SSE2 register, the x86-64 baseline; loads and stores
// go through memcpy, which makes no alignment assumption.
typedef double Dos __attribute__((vector_size(16)));

inline Dos cargar(const double* p) {
    Dos v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// y[i] = sum over k in [kLo, kHi) of coef[k] x(i, n0 + k), for the 16
// channels starting at x and y (columns `canales` apart in x): eight
// accumulators of two channels each stay in registers while the taps stream.
// A second version for processors with FMA (x86-64-v3), picked at load time,
// fuses each product and sum: about 15 % less time, differences of rounding only.
__attribute__((target_clones("arch=x86-64-v3", "default")))
void sumarBloque(const double* x, arma::uword canales, const double* coef, int64_t n0, arma::uword kLo,
                 arma::uword kHi, double* y) {
    // Written out: at -O2 an array of accumulators would live on the stack.
    Dos a0 = {}, a1 = {}, a2 = {}, a3 = {}, a4 = {}, a5 = {}, a6 = {}, a7 = {};
    const double* columna = x + static_cast<arma::uword>(n0 + static_cast<int64_t>(kLo)) * canales;
    for (arma::uword k = kLo; k < kHi; ++k, columna += canales) {
        const Dos c = {coef[k], coef[k]};
        a0 += c * cargar(columna);
        a1 += c * cargar(columna + 2);
        a2 += c * cargar(columna + 4);
        a3 += c * cargar(columna + 6);
        a4 += c * cargar(columna + 8);
        a5 += c * cargar(columna + 10);
        a6 += c * cargar(columna + 12);
        a7 += c * cargar(columna + 14);
    }
    const Dos a[8] = {a0, a1, a2, a3, a4, a5, a6, a7};
    std::memcpy(y, a, sizeof a);
}

void sumarResto(const double* x, arma::uword canales, arma::uword filas, const double* coef, int64_t n0,
                arma::uword kLo, arma::uword kHi, double* y) {
    for (arma::uword i = 0; i < filas; ++i) y[i] = 0.0;
    for (arma::uword k = kLo; k < kHi; ++k) {
        const double* columna = x + static_cast<arma::uword>(n0 + static_cast<int64_t>(k)) * canales;
        for (arma::uword i = 0; i < filas; ++i) y[i] += coef[k] * columna[i];
    }
}

// Columns [m0, m1) of Y: output m sits at H + m baja on the upsampled axis,
// so its phase is that position modulo sube and its last input the quotient.
void calcularColumnas(const Polifase& p, const arma::mat& X, arma::mat& Y, arma::uword m0, arma::uword m1) {
    const arma::uword canales = X.n_rows;
    const auto n = static_cast<int64_t>(X.n_cols);
    const auto u = static_cast<uint64_t>(p.sube);
    for (arma::uword m = m0; m < m1; ++m) {
        const uint64_t t = p.mitad + static_cast<uint64_t>(m) * static_cast<uint64_t>(p.baja);
        const arma::uword r = t % u, k = p.numero[r];
        const int64_t n0 = static_cast<int64_t>(t / u) - static_cast<int64_t>(k) + 1;  // input of tap 0
        const arma::uword kLo = static_cast<arma::uword>(std::max<int64_t>(0, -n0));
        const arma::uword kHi = static_cast<arma::uword>(std::clamp<int64_t>(n - n0, 0, static_cast<int64_t>(k)));
        const double* coef = p.coeficientes.data() + p.inicio[r];
        double* y = Y.colptr(m);
        if (kLo >= kHi) {
            std::fill(y, y + canales, 0.0);
            continue;
        }
        arma::uword c = 0;
        for (; c + canalesPorBloque <= canales; c += canalesPorBloque)
            sumarBloque(X.memptr() + c, canales, coef, n0, kLo, kHi, y + c);
        sumarResto(X.memptr() + c, canales, canales - c, coef, n0, kLo, kHi, y + c);
    }
}

}  // namespace

FactoresRemuestreo factoresRemuestreo(int frecuenciaOrigen, int frecuenciaDestino) {
    if (frecuenciaOrigen <= 0 || frecuenciaDestino <= 0)
        throw std::invalid_argument("las frecuencias de muestreo deben ser mayores que 0 (" +
                                    std::to_string(frecuenciaOrigen) + " y " + std::to_string(frecuenciaDestino) +
                                    " Hz)");
    const int d = std::gcd(frecuenciaOrigen, frecuenciaDestino);
    return {frecuenciaDestino / d, frecuenciaOrigen / d};
}

arma::vec ventanaKaiser(arma::uword n, double beta) {
    arma::vec w(n);
    if (n == 1) w(0) = 1.0;
    if (n < 2) return w;
    const double centro = 0.5 * static_cast<double>(n - 1);
    const double escala = boost::math::cyl_bessel_i(0, beta);
    for (arma::uword i = 0; i < n; ++i) {
        const double r = (static_cast<double>(i) - centro) / centro;
        w(i) = boost::math::cyl_bessel_i(0, beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / escala;
    }
    return w;
}

arma::vec filtroRemuestreo(int sube, int baja) {
    if (sube < 1 || baja < 1 || sube > factorMaximo || baja > factorMaximo)
        throw std::invalid_argument("factores de remuestreo fuera de rango (" + std::to_string(sube) + "/" +
                                    std::to_string(baja) + "; cada uno entre 1 y " + std::to_string(factorMaximo) +
                                    ")");
    const int maximo = std::max(sube, baja);
    const arma::uword mitad = 10 * static_cast<arma::uword>(maximo);
    const double corte = 1.0 / maximo;  // of the upsampled Nyquist frequency
    arma::vec g = ventanaKaiser(2 * mitad + 1, 5.0);
    for (arma::uword i = 0; i < g.n_elem; ++i) {
        const double x = corte * (static_cast<double>(i) - static_cast<double>(mitad));
        g(i) *= x == 0.0 ? corte : corte * std::sin(M_PI * x) / (M_PI * x);
    }
    return g * (sube / arma::accu(g));
}

arma::uword muestrasRemuestreadas(arma::uword n, int sube, int baja) {
    const auto u = static_cast<arma::uword>(sube), b = static_cast<arma::uword>(baja);
    return (n * u + b - 1) / b;
}

arma::mat remuestrearFilas(const arma::mat& X, int sube, int baja, const Avance& avance) {
    const Polifase p = prepararPolifase(sube, baja);
    const arma::uword salidas = muestrasRemuestreadas(X.n_cols, sube, baja);
    arma::mat Y;
    Y.set_size(X.n_rows, salidas);
    if (Y.n_elem == 0) {
        avance(1.0);
        return Y;
    }
    repartirEnDosHilos(
        static_cast<int64_t>(salidas), 4096,
        [&](int, int64_t desde, int64_t hasta) {
            poblarMemoria(Y.colptr(static_cast<arma::uword>(desde)),
                          static_cast<size_t>(hasta - desde) * X.n_rows * sizeof(double));
            calcularColumnas(p, X, Y, static_cast<arma::uword>(desde), static_cast<arma::uword>(hasta));
        },
        [&](int64_t hechas) { avance(static_cast<double>(hechas), static_cast<double>(salidas)); });
    return Y;
}
