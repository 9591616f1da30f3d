#pragma once
// Internal pieces of the extended infomax ICA, exposed for tests and benchmarks.

#include <cstdint>
#include <optional>
#include <random>

#include <armadillo>

#include "io/progreso.h"

namespace icaDetalle {

constexpr int pasadasMaximas = 512;
// Kurtosis is estimated on this many random positions when T is larger.
constexpr arma::uword muestrasCurtosis = 6000;

// The learning rate actually used: eta inside [1e-6, 0.1], otherwise
// 0.00065 / ln(C). NaN counts as outside. A single channel would make the
// default infinite (ln 1 = 0), so it takes the two-channel value.
double ratioAprendizaje(double eta, arma::uword canales);

// B = ceil(min(5 ln T, 0.3 T)); 0 when T < 2 (no block can be formed).
int tamanoBloque(arma::uword muestras);

// 1e-7 above 32 components, else 1e-6.
double toleranciaParada(int componentes);

// Seed of a run without a fixed one: calendar seconds x 100, truncated to 32 bits.
uint32_t semillaDelReloj();

// A private generator per run: no shared state, the same seed gives the same
// streams with every standard library.
class GeneradorICA {
public:
    explicit GeneradorICA(uint32_t semilla) : motor_(semilla) {}
    // Uniform in [0, 1) with 53 random bits.
    double uniforme();
    // trunc(n * r) with r uniform, so in [0, n).
    arma::uword posicion(arma::uword n);
    // Uniform random permutation of 0 .. n-1 (Fisher-Yates) into `orden`.
    void permutacion(std::vector<arma::uword>& orden);

private:
    std::mt19937 motor_;
};

// True when kurtosis uses every sample (T <= 6000).
bool curtosisConTodas(arma::uword muestras);

// 6000 positions trunc(T r); any position 0 is redrawn until it is not.
// Positions may repeat.
void sortearPosicionesCurtosis(arma::uword muestras, GeneradorICA& generador,
                               std::vector<arma::uword>& posiciones);

// Number of singular values above max(rows, cols) * 2^(floor(log2 s_max) - 52).
arma::uword rangoNumerico(const arma::mat& datos);

// The checks of every restart, in order: the learning rate (already lowered)
// must stay above 1e-6, and the sphered data must hold Q components. Each
// failure writes its line to standard output and throws std::runtime_error.
void comprobarReinicio(double eta, arma::uword rango, int Q);

// What one run did, for tests and benchmarks.
struct InformeICA {
    int tamanoBloque = 0;
    double tolerancia = 0.0;
    double etaInicial = 0.0;
    double etaFinal = 0.0;
    uint32_t semilla = 0;
    bool curtosisConTodas = false;
    bool convergio = false;
    int pasadas = 0;           // passes of the last run: the converged pass, or 512
    long pasadasTotales = 0;   // passes done, counting those lost to restarts
    int reinicios = 0;
    long estimacionesCurtosis = 0;
};

// icaExtendida with the run's report.
InformeICA icaExtendidaInforme(arma::mat datos, arma::mat& pesos, arma::mat& esfera, double eta,
                               int Q, std::optional<uint32_t> semilla = std::nullopt,
                               const Avance& avance = Avance());

}  // namespace icaDetalle
