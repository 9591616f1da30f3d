#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <stdexcept>

#include <armadillo>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"

using prueba::anadirEvento;
using prueba::DirectorioTemporal;
using prueba::eegRampa;

namespace {

std::tm horaFija() {
    std::tm h{};
    h.tm_year = 2026 - 1900;
    h.tm_mon = 11;
    h.tm_mday = 12;
    h.tm_wday = 6;
    h.tm_hour = 14;
    h.tm_min = 3;
    h.tm_sec = 27;
    return h;
}

DestinoCubo destinoEn(const DirectorioTemporal& dir) {
    DestinoCubo d;
    d.directorio = dir.ruta();
    d.horaLocal = horaFija;
    return d;
}

ParametrosPromediado parametros(std::vector<double> tipos, int32_t msPrev, int32_t msPost) {
    ParametrosPromediado p;
    p.tipos = tipos;
    p.calificadores.assign(tipos.size(), 1.0);
    p.msPrev = msPrev;
    p.msPost = msPost;
    return p;
}

}  // namespace

TEST(EpochWindow, TwoHundredFiftyHertz) {
    // 250 x 100 / 1000 = 25, 250 x 200 / 1000 = 50, W = 25 + 1 + 50.
    const VentanaEpoca v = calcularVentana(250, 100, 200);
    EXPECT_EQ(v.pre, 25);
    EXPECT_EQ(v.post, 50);
    EXPECT_EQ(v.ancho, 76);
}

TEST(EpochWindow, TruncatesTowardZero) {
    EXPECT_EQ(calcularVentana(256, 7000, 0).pre, 1792);
    // 25.6 and 153.6 samples.
    const VentanaEpoca v = calcularVentana(256, 100, 600);
    EXPECT_EQ(v.pre, 25);
    EXPECT_EQ(v.post, 153);
    EXPECT_EQ(v.ancho, 179);
    EXPECT_EQ(calcularVentana(256, 0, 0).ancho, 1);
}

TEST(EpochWindow, HighRateDoesNotOverflow) {
    // 1 MHz x 3000 ms exceeds 32 bits before the division.
    EXPECT_EQ(calcularVentana(1000000, 3000, 0).pre, 3000000);
}

TEST(EpochWindow, RefusesBadInput) {
    EXPECT_THROW(calcularVentana(0, 100, 100), std::invalid_argument);
    EXPECT_THROW(calcularVentana(256, -100, 100), std::invalid_argument);
    EXPECT_THROW(calcularVentana(256, 100, -1), std::invalid_argument);
    EXPECT_THROW(calcularVentana(2000000000, 2000000000, 2000000000), std::invalid_argument);
}

TEST(EpochWindow, MillisecondsFromDoublesAreTruncated) {
    EXPECT_EQ(milisegundosEnteros(7000.0), 7000);
    EXPECT_EQ(milisegundosEnteros(99.9), 99);
    EXPECT_THROW(milisegundosEnteros(std::nan("")), std::invalid_argument);
    EXPECT_THROW(milisegundosEnteros(1e12), std::invalid_argument);
}

TEST(EventSelection, KindsByRowAsTypeAndQualifier) {
    EEG eeg = eegRampa(250, 2, 10);
    anadirEvento(eeg, 768, 1);
    anadirEvento(eeg, 769, 2);
    anadirEvento(eeg, 768, 3, 2);
    const ParametrosPromediado p = parametrosDeFilas(*eeg.tablaEventos, {0, 2}, 100, 200);
    EXPECT_EQ(p.tipos, (std::vector<double>{768, 768}));
    EXPECT_EQ(p.calificadores, (std::vector<double>{1, 2}));
    EXPECT_EQ(p.msPrev, 100);
    EXPECT_EQ(p.msPost, 200);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {3}, 100, 200), std::out_of_range);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {-1}, 100, 200), std::out_of_range);
}

TEST(EventSelection, InterleavedKindsStayInFileOrder) {
    EEG eeg = eegRampa(250, 1, 10);
    anadirEvento(eeg, 1, 300);
    anadirEvento(eeg, 2, 100);
    anadirEvento(eeg, 3, 150);
    anadirEvento(eeg, 1, 200);
    anadirEvento(eeg, 2, 400);
    // Kind 2 selected before kind 1: the order is still the table's.
    EXPECT_EQ(posicionesSeleccionadas(*eeg.tablaEventos, {2, 1}, {1, 1}), (std::vector<int32_t>{300, 100, 200, 400}));
}

TEST(EventSelection, QualifierIsPartOfTheKind) {
    EEG eeg = eegRampa(250, 1, 10);
    anadirEvento(eeg, 768, 5, 1);
    anadirEvento(eeg, 768, 6, 2);
    EXPECT_EQ(posicionesSeleccionadas(*eeg.tablaEventos, {768}, {2}), (std::vector<int32_t>{6}));
}

TEST(EventSelection, KindSelectedTwiceTakesEachEventOnce) {
    EEG eeg = eegRampa(250, 1, 10);
    anadirEvento(eeg, 5, 1);
    anadirEvento(eeg, 5, 2);
    EXPECT_EQ(posicionesSeleccionadas(*eeg.tablaEventos, {5, 5}, {1, 1}), (std::vector<int32_t>{1, 2}));
}

TEST(EventSelection, MismatchedVectorsAreRefused) {
    EEG eeg = eegRampa(250, 1, 10);
    EXPECT_THROW(posicionesSeleccionadas(*eeg.tablaEventos, {1, 2}, {1}), std::invalid_argument);
}

TEST(Epochs, EventAtPreFillsFromColumnZero) {
    // 250 Hz, 100 ms before, 200 ms after: an event at 25 takes columns 0 to 75.
    const EEG eeg = eegRampa(250, 2, 200);
    const arma::cube c = extraerEpocas(eeg.datos(), {25}, calcularVentana(250, 100, 200));
    ASSERT_EQ(c.n_rows, 2u);
    ASSERT_EQ(c.n_cols, 76u);
    ASSERT_EQ(c.n_slices, 1u);
    EXPECT_EQ(c(0, 0, 0), 0.0);
    EXPECT_EQ(c(0, 75, 0), 75.0);
    EXPECT_EQ(c(1, 0, 0), 1000.0);
}

TEST(Epochs, OneSampleTooEarlyFails) {
    const EEG eeg = eegRampa(250, 2, 200);
    EXPECT_THROW(extraerEpocas(eeg.datos(), {100, 24}, calcularVentana(250, 100, 200)), std::out_of_range);
}

TEST(Epochs, LastSampleIsReachableOnePastIsNot) {
    // 200 samples, post 50: position 149 ends at column 199, 150 at 200.
    const EEG eeg = eegRampa(250, 2, 200);
    const VentanaEpoca v = calcularVentana(250, 100, 200);
    EXPECT_EQ(extraerEpocas(eeg.datos(), {149}, v)(0, 75, 0), 199.0);
    EXPECT_THROW(extraerEpocas(eeg.datos(), {150}, v), std::out_of_range);
}

TEST(Epochs, NoChannelsFail) {
    EXPECT_THROW(extraerEpocas(arma::mat(0, 100), {50}, calcularVentana(250, 0, 0)), std::out_of_range);
}

TEST(Averaging, MeanOfEpochsAndAveragedRecordFields) {
    EEG eeg = eegRampa(250, 3, 1000);
    eeg.historia = " CAR";
    anadirEvento(eeg, 768, 100);
    anadirEvento(eeg, 769, 150);  // not selected
    anadirEvento(eeg, 768, 300);
    DirectorioTemporal dir;
    const ResultadoPromediado r = promediarEventos(eeg, parametros({768}, 100, 200), destinoEn(dir));

    // Epochs start at columns 75 and 275: their mean starts at 175 (+ 1000 c).
    EXPECT_EQ(r.numeroEpocas, 2u);
    const EEG& p = r.promedio;
    ASSERT_EQ(p.datos().n_rows, 3u);
    ASSERT_EQ(p.datos().n_cols, 76u);
    EXPECT_DOUBLE_EQ(p.datos()(0, 0), 175.0);
    EXPECT_DOUBLE_EQ(p.datos()(2, 75), 2250.0);
    EXPECT_EQ(p.numeroMuestras, 76);
    EXPECT_EQ(p.numeroMatrices, 1);
    EXPECT_EQ(p.numeroCanales, 3u);
    EXPECT_EQ(p.frecuenciaMuestreo, 250);
    EXPECT_DOUBLE_EQ(p.tiempoInicio, 0.1);
    // (76 - 1) / 250 = 0 in integer division, plus the start time.
    EXPECT_DOUBLE_EQ(p.tiempoFin, 0.1);
    EXPECT_FALSE(p.tieneEventos());
    EXPECT_EQ(p.historia, " CAR");
    EXPECT_EQ(p.sujeto, "sujeto");
    EXPECT_EQ(p.identificacionRegistro, "registro");
    EXPECT_EQ(p.fechaRegistro, "fecha");
    EXPECT_EQ(p.reservado, "reservado");
    EXPECT_EQ(p.idEquipo, 7u);
    EXPECT_EQ(p.idLaboratorio, 8u);
    EXPECT_EQ(p.idTecnico, 9u);
    EXPECT_EQ((*p.canales)[2].etiqueta, "C3");
    // The source keeps its table.
    EXPECT_TRUE(eeg.tieneEventos());
}

TEST(Averaging, StartAndEndTimeForLongWindows) {
    // 256 Hz, 7000 ms before, 10000 after: W = 1792 + 1 + 2560 = 4353;
    // end = 4352 / 256 = 17 (integer division) + 7.0.
    EEG eeg = eegRampa(256, 2, 10000);
    anadirEvento(eeg, 1, 5000);
    DirectorioTemporal dir;
    const ResultadoPromediado r = promediarEventos(eeg, parametros({1}, 7000, 10000), destinoEn(dir));
    EXPECT_EQ(r.promedio.numeroMuestras, 4353);
    EXPECT_DOUBLE_EQ(r.promedio.tiempoInicio, 7.0);
    EXPECT_DOUBLE_EQ(r.promedio.tiempoFin, 24.0);
}

TEST(Averaging, InterleavedKindsGiveEpochsInFileOrder) {
    EEG eeg = eegRampa(250, 2, 1000);
    anadirEvento(eeg, 1, 400);
    anadirEvento(eeg, 2, 100);
    anadirEvento(eeg, 1, 700);
    anadirEvento(eeg, 2, 250);
    DirectorioTemporal dir;
    const ResultadoPromediado r = promediarEventos(eeg, parametros({2, 1}, 0, 10), destinoEn(dir));
    arma::cube cubo;
    ASSERT_TRUE(cubo.load(r.archivoCubo.string(), arma::arma_binary));
    ASSERT_EQ(cubo.n_slices, 4u);
    EXPECT_EQ(cubo(0, 0, 0), 400.0);
    EXPECT_EQ(cubo(0, 0, 1), 100.0);
    EXPECT_EQ(cubo(0, 0, 2), 700.0);
    EXPECT_EQ(cubo(0, 0, 3), 250.0);
}

TEST(Averaging, CubeFileHoldsTheEpochs) {
    arma::arma_rng::set_seed(21);
    EEG eeg(250, 4, 600);
    eeg.matrices.front() = arma::randn(4, 600);
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    for (int32_t p : {50, 120, 300, 510}) anadirEvento(eeg, 3, p);
    DirectorioTemporal dir;
    const ResultadoPromediado r = promediarEventos(eeg, parametros({3}, 100, 200), destinoEn(dir));
    EXPECT_EQ(r.archivoCubo, dir.ruta() / "Promediado-Sat Dec 12 14-03-27 2026.bin");

    arma::cube cubo;
    ASSERT_TRUE(cubo.load(r.archivoCubo.string(), arma::arma_binary));
    const arma::cube esperado = extraerEpocas(eeg.datos(), {50, 120, 300, 510}, calcularVentana(250, 100, 200));
    ASSERT_EQ(arma::size(cubo), arma::size(esperado));
    EXPECT_TRUE(arma::approx_equal(cubo, esperado, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(r.promedio.datos(), arma::cube(arma::mean(esperado, 2)).slice(0), "absdiff", 1e-15));
}

TEST(Averaging, SecondRunInTheSameSecondDoesNotOverwrite) {
    EEG eeg = eegRampa(250, 2, 300);
    anadirEvento(eeg, 1, 100);
    anadirEvento(eeg, 2, 150);
    DirectorioTemporal dir;
    const ResultadoPromediado a = promediarEventos(eeg, parametros({1}, 0, 10), destinoEn(dir));
    const ResultadoPromediado b = promediarEventos(eeg, parametros({2}, 0, 10), destinoEn(dir));
    const ResultadoPromediado c = promediarEventos(eeg, parametros({1, 2}, 0, 10), destinoEn(dir));
    EXPECT_EQ(a.archivoCubo.filename(), "Promediado-Sat Dec 12 14-03-27 2026.bin");
    EXPECT_EQ(b.archivoCubo.filename(), "Promediado-Sat Dec 12 14-03-27 2026-2.bin");
    EXPECT_EQ(c.archivoCubo.filename(), "Promediado-Sat Dec 12 14-03-27 2026-3.bin");
    arma::cube primero;
    ASSERT_TRUE(primero.load(a.archivoCubo.string(), arma::arma_binary));
    EXPECT_EQ(primero.n_slices, 1u);
    EXPECT_EQ(primero(0, 0, 0), 100.0);
    EXPECT_EQ(dir.archivos().size(), 3u);
}

TEST(Averaging, NoEventTakenWritesNothing) {
    EEG eeg = eegRampa(250, 2, 300);
    anadirEvento(eeg, 1, 100);
    DirectorioTemporal dir;
    EXPECT_THROW(promediarEventos(eeg, parametros({9}, 0, 10), destinoEn(dir)), std::invalid_argument);
    EXPECT_THROW(promediarEventos(eeg, parametros({}, 0, 10), destinoEn(dir)), std::invalid_argument);
    EXPECT_TRUE(dir.archivos().empty());
}

TEST(Averaging, InvalidEpochWritesNothing) {
    EEG eeg = eegRampa(250, 2, 300);
    anadirEvento(eeg, 1, 100);
    anadirEvento(eeg, 1, 24);
    DirectorioTemporal dir;
    EXPECT_THROW(promediarEventos(eeg, parametros({1}, 100, 200), destinoEn(dir)), std::out_of_range);
    EXPECT_TRUE(dir.archivos().empty());
}

TEST(Averaging, BranchWithoutEventTableIsRefused) {
    EEG eeg(250, 2, 300);
    DirectorioTemporal dir;
    EXPECT_THROW(promediarEventos(eeg, parametros({1}, 0, 10), destinoEn(dir)), std::invalid_argument);
    EXPECT_TRUE(dir.archivos().empty());
}

TEST(Averaging, BranchWithoutSamplesIsRefused) {
    EEG eeg;
    eeg.frecuenciaMuestreo = 250;
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    anadirEvento(eeg, 1, 0);
    DirectorioTemporal dir;
    EXPECT_THROW(promediarEventos(eeg, parametros({1}, 0, 0), destinoEn(dir)), std::out_of_range);
}

TEST(Averaging, UnwritableCubeStillAverages) {
    EEG eeg = eegRampa(250, 2, 300);
    anadirEvento(eeg, 1, 100);
    DirectorioTemporal dir;
    DestinoCubo destino = destinoEn(dir);
    destino.directorio = dir.ruta() / "no-existe";
    const ResultadoPromediado r = promediarEventos(eeg, parametros({1}, 0, 10), destino);
    EXPECT_TRUE(r.archivoCubo.empty());
    EXPECT_EQ(r.promedio.numeroMuestras, 3);  // post = 250 x 10 / 1000 = 2
    EXPECT_TRUE(dir.archivos().empty());
}

TEST(Averaging, WorksAfterCommonAverageReference) {
    EEG eeg = eegRampa(250, 3, 300);
    anadirEvento(eeg, 1, 100);
    anadirEvento(eeg, 1, 200);
    const EEG car = aplicarCAR(eeg);
    ASSERT_TRUE(car.tieneEventos());
    DirectorioTemporal dir;
    const ResultadoPromediado r = promediarEventos(car, parametros({1}, 0, 10), destinoEn(dir));
    EXPECT_EQ(r.numeroEpocas, 2u);
    // After CAR the ramp's channels are s - (1000 + 2000)/2 + ..., constant in time:
    // channel 0: 0 + s - (1000 + s + 2000 + s) / 2 = -1500.
    EXPECT_DOUBLE_EQ(r.promedio.datos()(0, 0), -1500.0);
    EXPECT_FALSE(r.promedio.tieneEventos());
}

TEST(EventSelection, RowsAreBoundedByTheKindsHeld) {
    EEG eeg = eegRampa(250, 1, 10);
    anadirEvento(eeg, 1, 1);
    anadirEvento(eeg, 2, 2);
    eeg.tablaEventos->numeroTipos = 5;  // a count the table does not back
    EXPECT_EQ(numeroTiposDisponibles(*eeg.tablaEventos), 2);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {2}, 0, 0), std::out_of_range);
    eeg.tablaEventos->numeroTipos = 1;
    EXPECT_EQ(numeroTiposDisponibles(*eeg.tablaEventos), 1);
    EXPECT_THROW(parametrosDeFilas(*eeg.tablaEventos, {1}, 0, 0), std::out_of_range);
    eeg.tablaEventos->numeroTipos = -3;
    EXPECT_EQ(numeroTiposDisponibles(*eeg.tablaEventos), 0);
}
