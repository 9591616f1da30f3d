// Polyphase resampling against scipy.signal.resample_poly
// (tests/data/limpieza/generar_limpieza.py), and what a researcher checks
// after resampling: events still on their bursts, silence still silent.
#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "dsp/remuestreo.h"
#include "dsp/remuestreoEEG.h"
#include "io/cargarRegistro.h"
#include "tests/comun/senalLimpieza.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

arma::mat remuestrear(const arma::mat& x, int origen, int destino) {
    const FactoresRemuestreo f = factoresRemuestreo(origen, destino);
    return remuestrearFilas(x, f.sube, f.baja);
}

// 1024 Hz, 4 s, two channels: a 10 Hz burst under a 50 ms Gaussian at sample
// 2000 (an event marks it), and silence.
EEG registroConRafaga() {
    EEG e(1024, 2, 4096);
    for (arma::uword n = 0; n < 4096; ++n) {
        const double t = (static_cast<double>(n) - 2000.0) / 1024.0;
        e.matrices[0](0, n) = 50 * std::exp(-0.5 * t * t / (0.05 * 0.05)) * std::cos(2 * M_PI * 10 * t);
    }
    e.tablaEventos = std::make_shared<TablaEventos>();
    Evento ev;
    ev.tipo = 1;
    ev.posicion = 2000;
    ev.duracion = 102;  // 99.6 ms
    fijarEvento(*e.tablaEventos, ev, 0);
    e.tablaEventos->numeroEventos = 1;
    e.canales->resize(2);
    (*e.canales)[0].unidad = (*e.canales)[1].unidad = "uV";
    return e;
}

}  // namespace

TEST(Remuestreo, FactoresReducidos) {
    EXPECT_EQ(factoresRemuestreo(5000, 250).sube, 1);
    EXPECT_EQ(factoresRemuestreo(5000, 250).baja, 20);
    EXPECT_EQ(factoresRemuestreo(512, 256).baja, 2);
    EXPECT_EQ(factoresRemuestreo(1000, 256).sube, 32);
    EXPECT_EQ(factoresRemuestreo(1000, 256).baja, 125);
    EXPECT_THROW(factoresRemuestreo(0, 256), std::invalid_argument);
    EXPECT_THROW(factoresRemuestreo(256, -1), std::invalid_argument);
    // ceil(1007 * 32 / 125) = ceil(257.8) = 258; ceil(1023 / 2) = 512.
    EXPECT_EQ(muestrasRemuestreadas(1007, 32, 125), 258u);
    EXPECT_EQ(muestrasRemuestreadas(1023, 1, 2), 512u);
}

TEST(Remuestreo, FiltroConGananciaSubeYSimetrico) {
    // 32/125: H = 1250, 2501 taps summing to 32.
    const arma::vec g = filtroRemuestreo(32, 125);
    ASSERT_EQ(g.n_elem, 2501u);
    EXPECT_NEAR(arma::accu(g), 32.0, 1e-12);
    EXPECT_LE(arma::abs(g - arma::reverse(g)).max(), 1e-15);
    EXPECT_THROW(filtroRemuestreo(0, 2), std::invalid_argument);
    // Kaiser window ends at 1 / I0(beta): I0(5) = 27.239871823604...
    EXPECT_NEAR(ventanaKaiser(5, 5.0)(0), 1.0 / 27.239871823604442, 1e-15);
    EXPECT_DOUBLE_EQ(ventanaKaiser(5, 5.0)(2), 1.0);
    EXPECT_EQ(ventanaKaiser(0, 5.0).n_elem, 0u);
}

TEST(Remuestreo, IgualQueResamplePolyDeScipy) {
    EXPECT_LE(errorRelativo(remuestrear(senalLimpieza(1000, 1007, 3, 50), 1000, 256),
                            referenciaLimpieza("remuestreo_1000_256.bin")), 1e-9);
    EXPECT_LE(errorRelativo(remuestrear(senalLimpieza(5000, 5003, 3, 50), 5000, 250),
                            referenciaLimpieza("remuestreo_5000_250.bin")), 1e-9);
    EXPECT_LE(errorRelativo(remuestrear(senalLimpieza(512, 1023, 3, 50), 512, 256),
                            referenciaLimpieza("remuestreo_512_256.bin")), 1e-9);
}

TEST(Remuestreo, BloquesDeDieciseisCanalesComoUnCanalSolo) {
    // 37 channels: two blocks of sixteen and a remainder of five, each row
    // as the one-row path (the one compared with scipy above) gives it.
    arma::arma_rng::set_seed(3);
    const arma::mat x = 50 * arma::randn(37, 2003);
    for (const auto [sube, baja] : {std::pair{1, 4}, std::pair{32, 125}, std::pair{3, 2}}) {
        const arma::mat y = remuestrearFilas(x, sube, baja);
        for (arma::uword c = 0; c < x.n_rows; ++c)
            EXPECT_LE(errorRelativo(y.row(c), remuestrearFilas(x.row(c), sube, baja)), 1e-14) << c << " " << sube;
    }
}

TEST(Remuestreo, P300IgualQueScipy) {
    const EEG eeg = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
    const arma::mat x = eeg.datos().submat(0, 0, 3, 1023);
    EXPECT_LE(errorRelativo(remuestrear(x, 256, 100), referenciaLimpieza("remuestreo_p300_256_100.bin")), 1e-9);
}

TEST(Remuestreo, MatricesVacias) {
    EXPECT_EQ(remuestrearFilas(arma::mat(3, 0), 1, 4).n_cols, 0u);
    const arma::mat sinFilas = remuestrearFilas(arma::mat(0, 100), 1, 4);
    EXPECT_EQ(sinFilas.n_rows, 0u);
    EXPECT_EQ(sinFilas.n_cols, 25u);
    // One sample: one output, the sample times the filter's centre tap.
    const arma::mat uno = remuestrearFilas(arma::mat(1, 1, arma::fill::ones), 1, 4);
    ASSERT_EQ(uno.n_cols, 1u);
    EXPECT_DOUBLE_EQ(uno(0, 0), filtroRemuestreo(1, 4)(40));
}

TEST(RemuestreoRama, ElEventoSigueEnSuRafagaYElSilencioEnSilencio) {
    const EEG entrada = registroConRafaga();
    const arma::mat copia = entrada.datos();
    const EEG r = remuestrearEEG(entrada, 256);
    EXPECT_EQ(r.frecuenciaMuestreo, 256);
    EXPECT_EQ(r.numeroMuestras, 1024);
    EXPECT_EQ(r.datos().n_cols, 1024u);
    EXPECT_DOUBLE_EQ(r.tiempoFin, calcularTiempoFin(1024, 256));
    // 2000 / 4 = 500; 102 / 4 = 25.5 rounds to 26.
    ASSERT_TRUE(r.tieneEventos());
    EXPECT_EQ(r.tablaEventos->eventos[0].posicion, 500);
    EXPECT_EQ(r.tablaEventos->eventos[0].duracion, 26);
    EXPECT_EQ(entrada.tablaEventos->eventos[0].posicion, 2000);  // the source's table is not touched
    // The burst's peak (its cosine's crest) is still on the event.
    EXPECT_EQ(arma::index_max(r.datos().row(0)), 500u);
    EXPECT_NEAR(r.datos()(0, 500), 50.0, 0.1);  // the Kaiser design ripples by about 0.1 % in its pass band
    EXPECT_EQ(arma::abs(r.datos().row(1)).max(), 0.0);
    EXPECT_EQ((*r.canales)[0].unidad, "uV");
    EXPECT_TRUE(arma::approx_equal(entrada.datos(), copia, "absdiff", 0.0));
}

TEST(RemuestreoRama, RedondeoDeMuestras) {
    // 3 * 1 / 2 = 1.5 -> 2; 5 / 4 = 1.25 -> 1; 7 * 32 / 125 = 1.792 -> 2.
    EXPECT_EQ(muestraRemuestreada(3, 1, 2), 2);
    EXPECT_EQ(muestraRemuestreada(5, 1, 4), 1);
    EXPECT_EQ(muestraRemuestreada(7, 32, 125), 2);
    EXPECT_EQ(muestraRemuestreada(0, 32, 125), 0);
}

TEST(RemuestreoRama, RechazaEpocasYDestinosImposibles) {
    EEG e = registroConRafaga();
    EXPECT_THROW(remuestrearEEG(e, 0), std::invalid_argument);
    EXPECT_THROW(remuestrearEEG(e, 1024 * 11), std::invalid_argument);
    e.epocas = std::make_shared<Epocas>();
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { remuestrearEEG(e, 256); }), "épocas"));
}
