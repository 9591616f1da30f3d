// Designers and design-and-set-up: sizes, gains, the worked example, and the
// design checks that report and throw instead of ending the program.
#include <cmath>
#include <complex>
#include <string>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"

namespace {

double modulo(const arma::vec& b, double f) {
    std::complex<double> s = 0.0;
    for (arma::uword n = 0; n < b.n_elem; ++n) s += b(n) * std::polar(1.0, -M_PI * f * static_cast<double>(n));
    return std::abs(s);
}

// Runs f, expecting ErrorDisenoFIR with the given report line on stdout.
template <class F>
void esperaInforme(F f, int linea, const std::string& mensaje) {
    testing::internal::CaptureStdout();
    try {
        f();
        testing::internal::GetCapturedStdout();
        FAIL() << "no se lanzo ErrorDisenoFIR";
    } catch (const ErrorDisenoFIR& e) {
        const std::string salida = testing::internal::GetCapturedStdout();
        const std::string esperado = "FIR Error [dsp/fir/disenoFIR.cpp@" + std::to_string(linea) + "]: " + mensaje;
        EXPECT_EQ(salida, esperado + "\n");
        EXPECT_EQ(e.lineaInforme(), esperado);
        EXPECT_EQ(e.linea(), linea);
        EXPECT_EQ(e.mensaje(), mensaje);
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

const std::string ordenPar = "Filter order must be even";
const std::string bordes = "Frequencies must be [0 < f0 < f1 < 1]";

}  // namespace

TEST(VentanaHamming, ExtremosYCentro) {
    // 0.54 - 0.46 cos(2 pi i / 18): 0.08 at both ends, 1 in the middle (i = 9).
    const arma::vec w = ventanaHamming(19);
    ASSERT_EQ(w.n_elem, 19u);
    EXPECT_NEAR(w(0), 0.08, 1e-15);
    EXPECT_NEAR(w(18), 0.08, 1e-15);
    EXPECT_NEAR(w(9), 1.0, 1e-15);
    EXPECT_NEAR(w(3), 0.54 - 0.46 * std::cos(2 * M_PI * 3 / 18), 1e-15);
    for (arma::uword i = 0; i < 19; ++i) EXPECT_NEAR(w(i), w(18 - i), 1e-15);
}

TEST(VentanaHamming, LongitudesDegeneradas) {
    EXPECT_EQ(ventanaHamming(0).n_elem, 0u);
    const arma::vec uno = ventanaHamming(1);
    ASSERT_EQ(uno.n_elem, 1u);
    EXPECT_EQ(uno(0), 1.0);
}

TEST(DisenoFIR, PasaBajosOrden17SumaUno) {
    const arma::vec b = disenoPasaBajos(17, 40.0 / 128.0);
    ASSERT_EQ(b.n_elem, 18u);
    EXPECT_NEAR(arma::accu(b), 1.0, 1e-14);
    for (arma::uword m = 0; m < 18; ++m) EXPECT_NEAR(b(m), b(17 - m), 1e-15);  // linear phase
}

TEST(DisenoFIR, PasaAltosGananciaUnoEnNyquist) {
    const arma::vec b = disenoPasaAltos(18, 1.0 / 128.0);
    ASSERT_EQ(b.n_elem, 19u);
    EXPECT_NEAR(modulo(b, 1.0), 1.0, 1e-14);
    // Order 40 with the cut-off at half band: a real stop band at 0.
    const arma::vec c = disenoPasaAltos(40, 0.5);
    EXPECT_NEAR(modulo(c, 1.0), 1.0, 1e-14);
    EXPECT_LT(modulo(c, 0.0), 0.005);  // Hamming side lobes stay below about -53 dB
}

TEST(DisenoFIR, PasaBandaGananciaUnoEnElCentro) {
    const arma::vec b = disenoPasaBanda(18, 0.2, 0.4);
    EXPECT_NEAR(modulo(b, 0.3), 1.0, 1e-14);
    // The band-pass designer does not require an even order.
    EXPECT_EQ(disenoPasaBanda(19, 0.2, 0.4).n_elem, 20u);
}

TEST(DisenoFIR, RechazaBandaGananciaUnoEnCero) {
    const arma::vec b = disenoRechazaBanda(40, 0.3, 0.6);
    EXPECT_NEAR(arma::accu(b), 1.0, 1e-14);
    EXPECT_LT(modulo(b, 0.45), 0.01);
    EXPECT_NEAR(modulo(b, 1.0), 1.0, 0.01);
}

TEST(DisenoFIR, OrdenCeroEsUnSoloCoeficiente) {
    const arma::vec b = disenoPasaBajos(0, 0.3);
    ASSERT_EQ(b.n_elem, 1u);
    EXPECT_DOUBLE_EQ(b(0), 1.0);
}

TEST(DisenoFIR, PasaAltosDeOrdenImparInformaLinea630) {
    esperaInforme([] { disenoPasaAltos(17, 0.1); }, 630, ordenPar);
}

TEST(DisenoFIR, PasaBandaConBordesIgualesInformaLinea659) {
    esperaInforme([] { disenoPasaBanda(18, 0.3, 0.3); }, 659, bordes);
    // The user reads the Spanish text, with the values.
    testing::internal::CaptureStdout();
    try {
        disenoPasaBanda(18, 0.3, 0.25);
    } catch (const ErrorDisenoFIR& e) {
        EXPECT_NE(std::string(e.what()).find("deben cumplir 0 < f0 < f1 < 1 (f0 = 0.3, f1 = 0.25)"), std::string::npos)
            << e.what();
    }
    testing::internal::GetCapturedStdout();
    esperaInforme([] { disenoPasaBanda(18, 0.4, 0.3); }, 659, bordes);
}

TEST(DisenoFIR, RechazaBandaComprueba690AntesQue692) {
    // Odd order and edges out of order: the order check comes first.
    esperaInforme([] { disenoRechazaBanda(17, 0.4, 0.3); }, 690, ordenPar);
    esperaInforme([] { disenoRechazaBanda(18, 0.4, 0.3); }, 692, bordes);
}

TEST(DisenoFIR, OrdenNegativoOCorteNuloSeRechazan) {
    EXPECT_THROW(disenoPasaBajos(-1, 0.2), std::invalid_argument);
    EXPECT_THROW(disenoPasaBanda(-2, 0.1, 0.2), std::invalid_argument);
    EXPECT_THROW(disenoPasaBajos(ordenMaximoFIR + 1, 0.2), std::invalid_argument);
    // fc = 0 makes every coefficient 0: no gain to normalise by.
    EXPECT_THROW(disenoPasaBajos(17, 0.0), std::invalid_argument);
}

TEST(DisenarFiltroFIR, EjemploResueltoPasaBanda19Coeficientes) {
    // 256 Hz, 60 dB, 1 to 40 Hz: M0 = trunc(256 * 60 / (22 * 39)) = trunc(15360 / 858) = 17,
    // made even: 18, so 19 taps.
    EXPECT_EQ(ordenBaseFIR(1.0, 40.0, 256, 60), 17.0);
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "BANDPASS");
    EXPECT_EQ(f.numeroCoeficientes, 19u);
    EXPECT_EQ(f.posicion, 0u);
    ASSERT_EQ(f.estado.n_elem, 19u);
    EXPECT_TRUE(arma::all(f.estado == 0.0));
    EXPECT_TRUE(arma::approx_equal(f.coeficientes, disenoPasaBanda(18, 1.0 / 128, 40.0 / 128), "absdiff", 0.0));
}

TEST(DisenarFiltroFIR, EjemploResueltoPasaBajos18Coeficientes) {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "LOW");
    EXPECT_EQ(f.numeroCoeficientes, 18u);
    // Cut-off is the lower limit, 1 Hz.
    EXPECT_TRUE(arma::approx_equal(f.coeficientes, disenoPasaBajos(17, 1.0 / 128), "absdiff", 0.0));
}

TEST(DisenarFiltroFIR, PasaAltosUsaOrden18YCorteInferior) {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "high");  // lower case matches "HIGH"
    EXPECT_EQ(f.numeroCoeficientes, 19u);
    EXPECT_TRUE(arma::approx_equal(f.coeficientes, disenoPasaAltos(18, 1.0 / 128), "absdiff", 0.0));
}

TEST(DisenarFiltroFIR, PasaBajosConOrdenBaseImparLoConserva) {
    // fs 256, A 60, gap 40: trunc(15360 / 880) = 17, already odd.
    FiltroFIR f;
    disenarFiltroFIR(f, 2.0, 42.0, 256, 60, "Low");
    EXPECT_EQ(f.numeroCoeficientes, 18u);
    // gap 36: trunc(15360 / 792) = 19; band-pass makes it 20.
    disenarFiltroFIR(f, 2.0, 38.0, 256, 60, "bandstop");
    EXPECT_EQ(f.numeroCoeficientes, 21u);
    // gap 38: trunc(15360 / 836) = 18, even: low-pass makes it 17.
    disenarFiltroFIR(f, 2.0, 40.0, 256, 60, "LOW");
    EXPECT_EQ(f.numeroCoeficientes, 18u);
}

TEST(DisenarFiltroFIR, NombreDesconocidoDaFiltroVacio) {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "BANDPASS ");
    EXPECT_EQ(f.numeroCoeficientes, 0u);
    EXPECT_EQ(f.coeficientes.n_elem, 0u);
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "");
    EXPECT_EQ(f.numeroCoeficientes, 0u);
    // An empty filter cannot filter, and says so instead of writing past its state.
    EXPECT_THROW(filtrarFIR(f, arma::vec{1.0, 2.0}), std::invalid_argument);
}

TEST(DisenarFiltroFIR, BandaConLimitesIgualesOInvertidosInforma) {
    FiltroFIR f;
    esperaInforme([&] { disenarFiltroFIR(f, 10.0, 10.0, 256, 60, "BANDPASS"); }, 659, bordes);
    esperaInforme([&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "bandpass"); }, 659, bordes);
    esperaInforme([&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "BANDSTOP"); }, 692, bordes);
}

TEST(DisenarFiltroFIR, PasaAltosConOrdenBaseNegativoImparInforma630) {
    // gap -39: trunc(-17.9) = -17, odd; "made even" leaves it (remainder -1).
    FiltroFIR f;
    esperaInforme([&] { disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "HIGH"); }, 630, ordenPar);
}

TEST(DisenarFiltroFIR, OrdenesNoRepresentablesSeRechazan) {
    FiltroFIR f;
    EXPECT_THROW(disenarFiltroFIR(f, 10.0, 10.0, 256, 60, "LOW"), std::invalid_argument);   // infinite
    EXPECT_THROW(disenarFiltroFIR(f, 40.0, 1.0, 256, 60, "LOW"), std::invalid_argument);    // negative
    EXPECT_THROW(disenarFiltroFIR(f, 1.0, 1.001, 1 << 20, 99, "HIGH"), std::invalid_argument);  // huge
    EXPECT_THROW(disenarFiltroFIR(f, 1.0, 40.0, 0, 60, "LOW"), std::invalid_argument);
    EXPECT_THROW(disenarFiltroFIR(f, std::nan(""), 40.0, 256, 60, "LOW"), std::invalid_argument);
}

TEST(DisenarFiltroFIR, FrecuenciaImparNoSeRedondea) {
    // 255 Hz: Nyquist is 127.5, not 127.
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 255, 60, "BANDPASS");
    const int m0 = static_cast<int>(std::trunc(255.0 * 60 / (22 * 39.0)));  // 17
    EXPECT_TRUE(arma::approx_equal(f.coeficientes, disenoPasaBanda(m0 + 1, 1.0 / 127.5, 40.0 / 127.5), "absdiff", 0.0));
}
