// Common average reference and event-locked averaging without a window:
// hand-computed small cases, the cube file, and the P300 sample recording.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <tuple>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"
#include "io/cargarRegistro.h"
#include "tests/io/archivosPrueba.h"

using namespace prueba;
namespace fs = std::filesystem;

namespace {

// Saturday 12 December 2026, 14:03:27.
std::tm horaFija() {
    std::tm h{};
    h.tm_year = 126, h.tm_mon = 11, h.tm_mday = 12, h.tm_wday = 6, h.tm_hour = 14, h.tm_min = 3, h.tm_sec = 27;
    return h;
}
const std::string nombreFijo = "Promediado-Sat Dec 12 14-03-27 2026";

ResultadoPromediado promediar(const EEG& eeg, std::vector<double> tipos, int32_t msPrev, int32_t msPost,
                              const CarpetaTemporal& t) {
    ParametrosPromediado p{tipos, std::vector<double>(tipos.size(), 1.0), msPrev, msPost};
    return promediarEventos(eeg, p, DestinoCubo{t.ruta(), horaFija});
}

}  // namespace

TEST(CAR, CasosAManoYMediaDirecta) {
    // Two channels: (a - b, b - a). Three: each minus the mean of the other two.
    EXPECT_TRUE(arma::approx_equal(referenciaPromedioComun(arma::mat{{1.0, 5.0}, {4.0, 1.5}}),
                                   arma::mat{{-3.0, 3.5}, {3.0, -3.5}}, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(referenciaPromedioComun(arma::vec{1.0, 2.0, 6.0}), arma::vec{-3.0, -1.5, 4.5},
                                   "absdiff", 0.0));
    // Against the mean of the other n - 1 rows, to 1e-12 of the largest of them:
    // random data, a detached electrode a million times larger, a large offset.
    arma::arma_rng::set_seed(12);
    arma::mat dominado = 10.0 * arma::randn(32, 200);
    dominado.row(7) = 1e9 * arma::randn(1, 200) + 3e9;
    for (const arma::mat& X : {arma::mat(50.0 * arma::randn(64, 300) + 20.0), arma::mat(arma::randn(3, 50)), dominado,
                               arma::mat(1e-3 * arma::randn(16, 200) + 1e6)}) {
        const arma::mat Y = referenciaPromedioComun(X);
        for (arma::uword i = 0; i < X.n_rows; ++i) {
            arma::mat otros = X;
            otros.shed_row(i);
            const arma::rowvec escala = arma::max(arma::abs(otros), 0);
            const arma::rowvec error = arma::abs(Y.row(i) - (X.row(i) - arma::mean(otros, 0)));
            ASSERT_TRUE(arma::all(error <= 1e-12 * escala)) << "canal " << i << " de " << X.n_rows;
        }
    }
    EXPECT_THROW(referenciaPromedioComun(arma::mat(1, 10, arma::fill::ones)), std::invalid_argument);
    EXPECT_EQ(arma::size(referenciaPromedioComun(arma::mat(4, 0))), arma::size(4, 0));
    EXPECT_THROW(aplicarCAR(EEG()), std::out_of_range);
    EXPECT_THROW(aplicarCAR(EEG(256, 1, 100)), std::invalid_argument);
}

TEST(Promediado, VentanaDeEpoca) {
    const VentanaEpoca v = calcularVentana(250, 100, 200);  // 25 + 1 + 50
    EXPECT_EQ(std::tie(v.pre, v.post, v.ancho), std::make_tuple(25, 50, 76));
    EXPECT_EQ(calcularVentana(256, 7000, 0).pre, 1792);       // truncated toward zero
    EXPECT_EQ(calcularVentana(1000000, 3000, 0).pre, 3000000);  // beyond 32 bits before dividing
    EXPECT_THROW(calcularVentana(0, 100, 100), std::invalid_argument);
    EXPECT_THROW(calcularVentana(256, -100, 100), std::invalid_argument);
    EXPECT_THROW(calcularVentana(2000000000, 2000000000, 2000000000), std::invalid_argument);
    EXPECT_EQ(milisegundosEnteros(99.9), 99);
    EXPECT_THROW(milisegundosEnteros(std::nan("")), std::invalid_argument);
    EXPECT_THROW(milisegundosEnteros(1e12), std::invalid_argument);
}

TEST(Promediado, SeleccionDeEventos) {
    EEG eeg = eegRampa(250, 1, 10);
    anadirEventos(eeg, 1, {300});
    anadirEventos(eeg, 2, {100});
    anadirEventos(eeg, 1, {200}, 2);
    anadirEventos(eeg, 1, {150});
    // Kind 1.1 selected after and twice: the table's order, each event once.
    EXPECT_EQ(posicionesSeleccionadas(*eeg.tablaEventos, {2, 1, 1}, {1, 1, 1}), (std::vector<int32_t>{300, 100, 150}));
    EXPECT_THROW(posicionesSeleccionadas(*eeg.tablaEventos, {1, 2}, {1}), std::invalid_argument);
    const ParametrosPromediado p = parametrosDeFilas(*eeg.tablaEventos, {2, 0}, 100, 200);
    EXPECT_EQ(p.tipos, (std::vector<double>{1, 1}));
    EXPECT_EQ(p.calificadores, (std::vector<double>{2, 1}));
    // Rows are bounded by the kinds really held, whatever the count says.
    eeg.tablaEventos->numeroTipos = 5;
    EXPECT_EQ(numeroTiposDisponibles(*eeg.tablaEventos), 3);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {3}, 0, 0), std::out_of_range);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {-1}, 0, 0), std::out_of_range);
}

TEST(Promediado, EpocasEnLosBordes) {
    // 250 Hz, 100 ms before, 200 after: an event at 25 starts at column 0;
    // at 24 it needs column -1. 200 samples: 149 ends at 199, 150 at 200.
    const arma::mat X = eegRampa(250, 2, 200).datos();
    const VentanaEpoca v = calcularVentana(250, 100, 200);
    const arma::cube c = extraerEpocas(X, {25, 149}, v);
    EXPECT_EQ(arma::size(c), arma::size(2, 76, 2));
    EXPECT_EQ(c(1, 0, 0), 1000.0);
    EXPECT_EQ(c(0, 75, 1), 199.0);
    EXPECT_THROW(extraerEpocas(X, {100, 24}, v), std::out_of_range);
    EXPECT_THROW(extraerEpocas(X, {150}, v), std::out_of_range);
    EXPECT_THROW(extraerEpocas(arma::mat(0, 100), {50}, calcularVentana(250, 0, 0)), std::out_of_range);
}

TEST(Promediado, VentanaFueraSeRechazaAntesDeReservarLasEpocas) {
    // At 10^8 Hz, 20000 ms after the event are 2e9 samples: 60 epochs of 8
    // channels would take 7.7 TB, so the check must come before the cube.
    EEG eeg = eegRampa(100000000, 8, 1000);
    for (int32_t i = 0; i < 60; ++i) anadirEventos(eeg, 1, {500});
    ParametrosPromediado p;
    p.tipos = {1};
    p.calificadores = {1};
    p.msPrev = 0;
    p.msPost = 20000;
    EXPECT_THROW(promediarEventos(eeg, p, DestinoCubo{"/no/existe"}), std::out_of_range);
    EXPECT_NO_THROW(comprobarVentanas(1000, {25}, calcularVentana(250, 100, 200)));
    EXPECT_THROW(comprobarVentanas(1000, {25, 24}, calcularVentana(250, 100, 200)), std::out_of_range);
}

TEST(Promediado, RamaPromediadaYCuboDeEpocas) {
    EEG eeg = eegRampa(250, 3, 1000);
    eeg.historia = " CAR";
    anadirEventos(eeg, 768, {400});
    anadirEventos(eeg, 769, {100});
    anadirEventos(eeg, 768, {200});
    CarpetaTemporal t;
    const ResultadoPromediado r = promediar(eeg, {769, 768}, 100, 200, t);
    // Epochs from 375, 75 and 175 in file order; their mean starts at 208.33.
    const EEG& p = r.promedio;
    EXPECT_EQ(arma::size(p.datos()), arma::size(3, 76));
    EXPECT_DOUBLE_EQ(p.datos()(2, 0), 2000.0 + (375.0 + 75.0 + 175.0) / 3);
    EXPECT_EQ(p.numeroMuestras, 76);
    EXPECT_EQ(p.tiempoInicio, 0.1);
    EXPECT_EQ(p.tiempoFin, 0.1);  // 75 / 250 = 0 in integer division, plus the start
    EXPECT_FALSE(p.tieneEventos());
    EXPECT_EQ(p.historia, " CAR");
    EXPECT_EQ(p.sujeto, "sujeto");
    EXPECT_EQ(r.archivoCubo, fs::path(t.ruta()) / (nombreFijo + ".bin"));
    arma::cube cubo;
    ASSERT_TRUE(cubo.load(r.archivoCubo.string(), arma::arma_binary));
    EXPECT_TRUE(arma::approx_equal(cubo, extraerEpocas(eeg.datos(), {400, 100, 200}, calcularVentana(250, 100, 200)),
                                   "absdiff", 0.0));  // loading as arma_binary checks the format's header
    // 256 Hz, 7000 before and 10000 after: W = 1792 + 1 + 2560, end 4352 / 256 = 17 + 7.
    EEG largo = eegRampa(256, 1, 10000);
    anadirEventos(largo, 1, {5000});
    EXPECT_EQ(promediar(largo, {1}, 7000, 10000, t).promedio.tiempoFin, 24.0);
}

TEST(Promediado, CuboNuncaSobrescribeNiSeEscribeSinEpocas) {
    EEG eeg = eegRampa(250, 2, 300);
    anadirEventos(eeg, 1, {100, 24});
    anadirEventos(eeg, 2, {150});
    eeg.tablaEventos->tipos.push_back(Evento{3, 0, 1});  // a kind listed with no event
    CarpetaTemporal t;
    EXPECT_THROW(promediar(eeg, {3}, 0, 10, t), std::invalid_argument);
    EXPECT_THROW(promediar(eeg, {}, 0, 10, t), std::invalid_argument);
    EXPECT_THROW(promediar(eeg, {1}, 100, 200, t), std::out_of_range);  // 24 is one sample too early
    EXPECT_THROW(promediar(EEG(250, 2, 300), {1}, 0, 10, t), std::invalid_argument);  // no event table
    EXPECT_TRUE(t.archivos().empty());
    // An earlier run's file (from another session) keeps its epochs.
    const std::string previo = t.escribir(nombreFijo + ".bin", std::string("épocas anteriores"));
    EXPECT_EQ(promediar(eeg, {2}, 0, 10, t).archivoCubo.filename(), nombreFijo + "-2.bin");
    EXPECT_EQ(promediar(eeg, {2}, 0, 10, t).archivoCubo.filename(), nombreFijo + "-3.bin");
    EXPECT_EQ(fs::file_size(previo), std::string("épocas anteriores").size());
    // An unwritable folder still averages; the result says no cube was saved.
    const ResultadoPromediado r = promediarEventos(eeg, ParametrosPromediado{{2}, {1}, 0, 10},
                                                   DestinoCubo{fs::path(t.ruta()) / "no-existe", {}});
    EXPECT_TRUE(r.archivoCubo.empty());
    EXPECT_EQ(r.promedio.numeroMuestras, 3);
    // The real clock: asctime without colons.
    const fs::path reloj = guardarCuboPromediado(arma::cube(1, 1, 1, arma::fill::ones), DestinoCubo{t.ruta(), {}});
    EXPECT_EQ(reloj.filename().string().rfind("Promediado-", 0), 0u);
    EXPECT_EQ(reloj.filename().string().find(':'), std::string::npos);
    std::tm seis = horaFija();
    seis.tm_mday = 6, seis.tm_wday = 0;
    EXPECT_EQ(nombreCuboPromediado(seis), "Promediado-Sun Dec  6 14-03-27 2026.bin");
}

TEST(Promediado, P300TipoUnoUno) {
    const EEG eeg = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
    CarpetaTemporal t;
    const ResultadoPromediado r = promediar(eeg, {1}, 100, 600, t);
    // 25.6 -> 25 before, 153.6 -> 153 after.
    EXPECT_EQ(arma::size(r.promedio.datos()), arma::size(8, 179));
    EXPECT_EQ(r.promedio.tiempoInicio, 0.1);
    EXPECT_FALSE(r.promedio.tieneEventos());
    arma::cube cubo;
    ASSERT_TRUE(cubo.load(r.archivoCubo.string(), arma::arma_binary));
    ASSERT_EQ(arma::size(cubo), arma::size(8, 179, 60));
    // The epochs, cut here from every type-1 event.
    arma::uword i = 0;
    for (const Evento& e : eeg.tablaEventos->eventos)
        if (e.tipo == 1)
            EXPECT_TRUE(arma::approx_equal(cubo.slice(i++), eeg.datos().cols(e.posicion - 25, e.posicion + 153),
                                           "absdiff", 0.0));
    EXPECT_EQ(i, 60u);
    EXPECT_TRUE(arma::approx_equal(r.promedio.datos(), arma::mat(arma::mean(cubo, 2)), "reldiff", 1e-12));
    // After CAR, which keeps the events: CAR is linear, so it equals CAR of the average.
    const ResultadoPromediado trasCar = promediar(aplicarCAR(eeg), {1}, 100, 600, t);
    EXPECT_TRUE(arma::approx_equal(trasCar.promedio.datos(), referenciaPromedioComun(r.promedio.datos()), "absdiff", 1e-9));
}
