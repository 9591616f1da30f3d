// Welch spectra and band powers against scipy.signal.welch reference outputs
// (tests/data/welch, made by referencias_welch.py) and hand calculations.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "frecuencial/bandas.h"
#include "frecuencial/csvDensidad.h"
#include "frecuencial/welch.h"
#include "io/cargarRegistro.h"
#include "mara/periodogramaWelch.h"
#include "tests/frecuencial/referenciasWelch.h"

namespace {

const std::string refs = "tests/data/welch/";
const double pi = arma::datum::pi;

arma::mat senal(arma::uword n, const std::function<double(double)>& f) {
    arma::mat x(1, n);
    for (arma::uword i = 0; i < n; ++i) x(0, i) = f(static_cast<double>(i));
    return x;
}

// Two tones and a slow drift, 1000 samples at 100 Hz.
arma::mat dosTonos() {
    return senal(1000, [](double n) {
        return std::sin(2 * pi * 7.3 * n / 100.0) + 0.3 * std::cos(2 * pi * 23.1 * n / 100.0 + 0.4) + 0.01 * n / 1000.0;
    });
}

// The reference as canales x bins, its frequencies apart.
struct Referencia {
    arma::vec f;
    arma::mat P;
};

Referencia referencia(const std::string& nombre) {
    const TablaCSV t = leerTablaCSV(refs + nombre);
    return {t.valores.col(0), t.valores.cols(1, t.valores.n_cols - 1).t()};
}

}  // namespace

// The density and its band powers (the integrals of scipy's output).
TEST(EspectroWelch, SampleRecordingMatchesScipy) {
    const EEG eeg = cargarRegistro("../shared/data/p300_8ch.gdf");
    const EspectroPotencia e = calcularEspectro(eeg.datos(), eeg.frecuenciaMuestreo);
    const Referencia r = referencia("p300_8ch_L512.csv");
    EXPECT_EQ(e.muestrasSegmento, 512u);
    EXPECT_FALSE(e.segmentoAcortado);
    EXPECT_TRUE(arma::approx_equal(e.frecuencias, r.f, "absdiff", 1e-12));
    EXPECT_TRUE(igualesRelativo(e.densidad, r.P));
    const TablaBandas t = potenciaBandas(e);
    ASSERT_EQ(t.bandas.size(), 5u);
    EXPECT_TRUE(igualesRelativo(t.absoluta, leerTablaCSV(refs + "p300_8ch_L512_bandas.csv").valores.cols(1, 5)));
    // Relative powers: the five bands tile 1-45 Hz.
    EXPECT_TRUE(arma::approx_equal(arma::sum(t.relativa, 1), arma::ones(8), "absdiff", 1e-12));
}

TEST(EspectroWelch, SinusoidPeakAtItsBinWithItsPower) {
    // 3 sin(2 pi 10 t) + 0.5 at 256 Hz, L = 512: 10 Hz is bin 20. Periodic
    // Hann: sum w = L/2, U = sum w^2 = 3L/8, so the one-sided peak is
    // 2 (A L / 4)^2 / (fs U) = A^2 L / (3 fs) = 9 * 512 / 768 = 6 µV²/Hz, and
    // the three bins of the main lobe hold A^2 / 2 = 4.5 µV².
    const arma::mat x = senal(4096, [](double n) { return 3.0 * std::sin(2 * pi * 10.0 * n / 256.0) + 0.5; });
    const EspectroPotencia e = calcularEspectro(x, 256.0);
    const Referencia r = referencia("seno_10Hz.csv");
    EXPECT_TRUE(igualesRelativo(e.densidad, r.P, 1e-10, 1e-14));
    EXPECT_EQ(e.densidad.row(0).index_max(), 20u);
    EXPECT_NEAR(e.densidad(0, 20), 6.0, 1e-12);
    EXPECT_NEAR(arma::accu(e.densidad(0, arma::span(19, 21))) * 0.5, 4.5, 1e-12);
    EXPECT_NEAR(e.densidad(0, 0), 0.0, 1e-20);  // the offset is removed segment by segment
}

TEST(EspectroWelch, OddSegmentLengthMatchesScipy) {
    const arma::mat x = dosTonos();
    const EspectroPotencia e = calcularEspectro(x, 100.0, {1.27});
    EXPECT_EQ(e.muestrasSegmento, 127u);
    EXPECT_EQ(e.frecuencias.n_elem, 64u);  // bins 0 … 63: no Nyquist bin for odd L
    const Referencia r = referencia("impar_L127.csv");
    EXPECT_TRUE(arma::approx_equal(e.frecuencias, r.f, "absdiff", 1e-12));
    EXPECT_TRUE(igualesRelativo(e.densidad, r.P, 1e-10, 1e-14));
}

TEST(EspectroWelch, BranchShorterThanOneSegmentUsesItsWholeLengthAndSaysSo) {
    const arma::mat x = senal(300, [](double n) {
        return std::sin(2 * pi * 12.0 * n / 256.0) + 0.2 * std::sin(2 * pi * 40.0 * n / 256.0);
    });
    const EspectroPotencia e = calcularEspectro(x, 256.0);
    EXPECT_TRUE(e.segmentoAcortado);
    EXPECT_EQ(e.muestrasSegmento, 300u);
    EXPECT_EQ(e.segmentos, 1u);
    EXPECT_NE(e.aviso.find("300"), std::string::npos);
    EXPECT_TRUE(igualesRelativo(e.densidad, referencia("corta_300.csv").P, 1e-10, 1e-14));
}

TEST(EspectroWelch, DefaultSegmentIsNearestPowerOfTwoToTwoSeconds) {
    EXPECT_EQ(muestrasSegmento(256.0), 512u);
    EXPECT_EQ(muestrasSegmento(250.0), 512u);   // 500: 512 is nearer than 256
    EXPECT_EQ(muestrasSegmento(160.0), 256u);   // 320: 256 is nearer than 512
    EXPECT_EQ(muestrasSegmento(192.0), 512u);   // 384: a tie goes to the larger
    EXPECT_EQ(muestrasSegmento(100.0, 1.27), 127u);
    EXPECT_THROW(muestrasSegmento(100.0, 0.001), std::invalid_argument);
    EXPECT_THROW(muestrasSegmento(0.0), std::invalid_argument);
    EXPECT_THROW(calcularEspectro(arma::mat(2, 1, arma::fill::ones), 100.0), std::invalid_argument);
}

TEST(EspectroWelch, ProgressReporterLeavesResultUnchanged) {
    const arma::mat x = arma::randn<arma::mat>(3, 2000, arma::distr_param(0.0, 1.0));
    int llamadas = 0;
    const EspectroPotencia con = calcularEspectro(x, 100.0, {}, Avance([&](double, const std::string&) { ++llamadas; }));
    const EspectroPotencia sin = calcularEspectro(x, 100.0);
    EXPECT_GE(llamadas, 3);
    EXPECT_TRUE(arma::approx_equal(con.densidad, sin.densidad, "absdiff", 0.0));
}

TEST(EspectroWelch, EveryChannelOfAPartialBlockIsItsOwnRow) {
    // Channels are read in blocks of eight; 11 rows leave a block of three.
    // Each row must equal the density of that channel alone.
    arma::arma_rng::set_seed(7);
    const arma::mat x = arma::randn<arma::mat>(11, 1000);
    const EspectroPotencia e = calcularEspectro(x, 100.0);
    const arma::uword L = e.muestrasSegmento;
    const PlanWelch plan{ventanaHann(L), L, 100.0, true};
    TrabajoWelch trabajo;
    for (arma::uword c = 0; c < x.n_rows; ++c) {
        const arma::vec fila = x.row(c).t();
        const arma::vec esperada = densidadWelch(fila.memptr(), fila.n_elem, plan, trabajo);
        EXPECT_TRUE(arma::approx_equal(e.densidad.row(c).t(), esperada, "reldiff", 1e-14)) << "canal " << c;
    }
}

TEST(EspectroWelch, MaraPeriodogramKeepsBoxcarWithoutMeanRemoval) {
    // A constant signal keeps all its power at DC with a boxcar and no mean
    // removal: every segment's DFT is L at bin 0, so pxx(0) = L^2 / (L rate).
    const EspectroWelch e = espectroWelch(arma::vec(400, arma::fill::ones), arma::ones(100), 100, 100.0);
    EXPECT_NEAR(e.pxx(0), 1.0, 1e-14);
    EXPECT_NEAR(arma::accu(e.pxx.tail(e.pxx.n_elem - 1)), 0.0, 1e-14);
}

TEST(BandasEspectro, BandsAboveNyquistAreLeftOutAndStraddlingOnesCut) {
    // At 100 Hz (Nyquist 50) all five bands fit; read at 50 Hz (Nyquist 25)
    // beta is cut to 13-25 Hz and gamma is left out.
    const arma::mat x = dosTonos();
    const TablaBandas t100 = potenciaBandas(calcularEspectro(x, 100.0, {1.27}));
    const TablaCSV r = leerTablaCSV(refs + "impar_L127_bandas.csv");
    EXPECT_TRUE(igualesRelativo(t100.absoluta, r.valores.cols(1, 5), 1e-10));
    const TablaBandas t50 = potenciaBandas(calcularEspectro(x, 50.0));
    ASSERT_EQ(t50.bandas.size(), 4u);
    EXPECT_EQ(t50.bandas[3].nombre, "beta");
    EXPECT_DOUBLE_EQ(t50.bandas[3].superior, 25.0);
}

TEST(BandasEspectro, IntegralOfLinearDensityIsExactBetweenBins) {
    // Density 2f on bins 0, 1, 2, 3 Hz: the integral from 0.5 to 2.5 is
    // f^2 between those limits = 6.25 - 0.25 = 6.
    const arma::vec f = {0, 1, 2, 3};
    const arma::rowvec d = {0, 2, 4, 6};
    EXPECT_DOUBLE_EQ(integrarDensidad(f, d, 0.5, 2.5), 6.0);
    EXPECT_DOUBLE_EQ(integrarDensidad(f, d, 1.2, 1.7), 1.7 * 1.7 - 1.2 * 1.2);
    EXPECT_DOUBLE_EQ(integrarDensidad(f, d, 5.0, 9.0), 0.0);
}

TEST(CsvEspectro, HeaderLabelsAndShortestRoundTripNumbers) {
    EspectroPotencia e;
    e.frecuencias = {0.0, 0.5};
    e.densidad = {{0.1, 1.0 / 3.0}, {2e-300, 7.0}};
    std::ostringstream s;
    s.imbue(std::locale::classic());
    escribirEspectroCSV(s, e, {"Fz", "C,z"});
    EXPECT_EQ(s.str(), "frecuencia,Fz,\"C,z\"\n0,0.1,2e-300\n0.5,0.3333333333333333,7\n");
    EXPECT_THROW(escribirEspectroCSV(s, e, {"Fz"}), std::invalid_argument);
}
