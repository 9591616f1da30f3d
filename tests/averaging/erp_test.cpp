// The ERPs of an averaged branch: where its event lies and its time axis for
// both ways of averaging, the global field power and the latency lookup, with
// the numbers worked out by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "averaging/epocas.h"
#include "averaging/erp.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"
#include "io/almacenEEG.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

using namespace prueba;

namespace {

// Two kinds at 250 Hz: 768.1 at samples 500 and 900, 769.1 at 700 and 1300.
EEG dosTipos() {
    EEG eeg = eegRampa(250, 2, 2000);
    anadirEventos(eeg, 768, {500});
    anadirEventos(eeg, 769, {700});
    anadirEventos(eeg, 768, {900});
    anadirEventos(eeg, 769, {1300});
    return eeg;
}

EEG promedioContinua(int32_t frecuencia, int32_t msPrev, int32_t msPost) {
    EEG eeg = eegRampa(frecuencia, 2, 2000);
    anadirEventos(eeg, 768, {500, 900});
    ParametrosPromediado p;
    p.tipos = {768};
    p.calificadores = {1};
    p.msPrev = msPrev;
    p.msPost = msPost;
    const prueba::CarpetaTemporal t;  // for the cube of epochs the average leaves
    return promediarEventos(eeg, p, DestinoCubo{t.ruta()}).promedio;
}

void esperarRechazo(const std::function<void()>& f, const std::string& texto) {
    EXPECT_TRUE(prueba::contiene(prueba::rechazo<std::invalid_argument>(f), texto));
}

}  // namespace

TEST(PotenciaCampoGlobal, TresCanalesAMano) {
    // Columns (1,2,3): mean 2, squares 1,0,1 -> sqrt(2/3). (0,0,0) -> 0.
    // (4,-2,1): mean 1, squares 9,9,0 -> sqrt(6). (5,5,-1): mean 3,
    // squares 4,4,16 -> sqrt(8).
    const arma::mat X = {{1, 0, 4, 5}, {2, 0, -2, 5}, {3, 0, 1, -1}};
    const arma::rowvec g = potenciaCampoGlobal(X);
    ASSERT_EQ(g.n_elem, 4u);
    EXPECT_NEAR(g(0), std::sqrt(2.0 / 3.0), 1e-12);
    EXPECT_EQ(g(1), 0.0);
    EXPECT_NEAR(g(2), std::sqrt(6.0), 1e-12);
    EXPECT_NEAR(g(3), std::sqrt(8.0), 1e-12);
}

TEST(PotenciaCampoGlobal, UnCanalEsCeroYSinCanalesSeRechaza) {
    const arma::rowvec g = potenciaCampoGlobal(arma::mat{{3.0, -7.0}});
    EXPECT_EQ(g(0), 0.0);
    EXPECT_EQ(g(1), 0.0);
    EXPECT_THROW(potenciaCampoGlobal(arma::mat(0, 5)), std::invalid_argument);
}

TEST(PromedioERP, ContinuaConVentanaEnMilisegundosExactos) {
    // 250 Hz, 100 ms before and 200 after: pre 25, width 76, -100 … 200 ms.
    const EEG r = promedioContinua(250, 100, 200);
    ASSERT_TRUE(esPromedio(r));
    const PromedioERP p = describirPromedio(r);
    EXPECT_EQ(p.pre, 25);
    EXPECT_EQ(p.ancho, 76);
    EXPECT_EQ(p.bloques(), 1u);
    const arma::vec t = ejeTiempoMs(p);
    EXPECT_DOUBLE_EQ(t(0), -100.0);
    EXPECT_DOUBLE_EQ(t(25), 0.0);
    EXPECT_DOUBLE_EQ(t(75), 200.0);
    // 10 ms is 2.5 samples: a half goes away from the event.
    EXPECT_EQ(columnaDeLatencia(p, 0.0), 25u);
    EXPECT_EQ(columnaDeLatencia(p, 10.0), 28u);
    EXPECT_EQ(columnaDeLatencia(p, -10.0), 22u);
    EXPECT_EQ(columnaDeLatencia(p, 200.0), 75u);
    EXPECT_EQ(columnaDeLatencia(p, -100.0), 0u);
    // Channel 1 at 0 ms: 1000 + mean(500, 900).
    const arma::vec v = valoresEnLatencia(bloqueERP(r, p, 0), p, 0.0);
    EXPECT_DOUBLE_EQ(v(0), 700.0);
    EXPECT_DOUBLE_EQ(v(1), 1700.0);
}

TEST(PromedioERP, ContinuaConMilisegundosQueNoSonMuestrasEnteras) {
    // 256 Hz and 100 ms: 25.6 samples truncated to 25, so the first column is
    // -25 / 256 s = -97.65625 ms, not -100 ms; 300 ms after gives 76.
    const EEG r = promedioContinua(256, 100, 300);
    const PromedioERP p = describirPromedio(r);
    EXPECT_EQ(p.pre, 25);
    EXPECT_EQ(p.ancho, 102);
    const arma::vec t = ejeTiempoMs(p);
    EXPECT_DOUBLE_EQ(t(0), -97.65625);
    EXPECT_DOUBLE_EQ(t(101), 296.875);
    EXPECT_EQ(columnaDeLatencia(p, -97.65625), 0u);
    // Half a sample is 1.953125 ms: -97.7 as the axis prints it and -99.6
    // still take the first column; -99.609375 is a half, which goes away from
    // the event, out of the epoch, as -100 does. 298.8 is the last column.
    EXPECT_EQ(columnaDeLatencia(p, -97.7), 0u);
    EXPECT_EQ(columnaDeLatencia(p, -99.6), 0u);
    EXPECT_EQ(columnaDeLatencia(p, 298.8), 101u);
    esperarRechazo([&] { columnaDeLatencia(p, -99.609375); }, "fuera de la época (de -97.6562 a 296.875 ms)");
    esperarRechazo([&] { columnaDeLatencia(p, -100.0); }, "fuera de la época");
    esperarRechazo([&] { columnaDeLatencia(p, 300.0); }, "fuera de la época");
    esperarRechazo([&] { columnaDeLatencia(p, 1e300); }, "fuera de la época");
    esperarRechazo([&] { columnaDeLatencia(p, NAN); }, "fuera de la época");
}

TEST(PromedioERP, SinMilisegundosPreviosLoDiceLaHistoria) {
    // No ms before the event leaves tiempoInicio at 0, as in a recording:
    // only the tag the window adds tells it is an average.
    EEG r = promedioContinua(250, 0, 100);
    EXPECT_FALSE(esPromedio(r));
    etiquetarRama(r, "CAR");
    EXPECT_FALSE(esPromedio(r));
    etiquetarRama(r, "Promediado");
    etiquetarRama(r, "Filtro");
    ASSERT_TRUE(esPromedio(r));
    const PromedioERP p = describirPromedio(r);
    EXPECT_EQ(p.pre, 0);
    EXPECT_EQ(p.ancho, 26);
    EXPECT_DOUBLE_EQ(ejeTiempoMs(p)(25), 100.0);
}

TEST(PromedioERP, PorTipoUnBloqueParaCadaTipo) {
    std::vector<std::string> avisos;
    const EEG epocas = cortarEpocas(dosTipos(), {{768, 1}, {769, 1}}, 100.0, 200.0, avisos);
    esperarRechazo([&] { describirPromedio(epocas); }, "sin promediar");
    const EEG r = promediarPorTipo(epocas, {{769, 1}, {768, 1}});
    ASSERT_TRUE(esPromedio(r));
    const PromedioERP p = describirPromedio(r);
    EXPECT_EQ(p.pre, 25);
    EXPECT_EQ(p.ancho, 76);
    ASSERT_EQ(p.bloques(), 2u);
    EXPECT_EQ(p.tipos[0], TipoEvento(769, 1));
    EXPECT_EQ(p.promediadas, (std::vector<int64_t>{2, 2}));
    EXPECT_DOUBLE_EQ(ejeTiempoMs(p)(0), -100.0);
    // Kind 769.1 (700, 1300) at 0 ms: channel 1 is 1000 + 1000 = 2000.
    EXPECT_DOUBLE_EQ(valoresEnLatencia(bloqueERP(r, p, 0), p, 0.0)(1), 2000.0);
    // Kind 768.1 (500, 900) at 20 ms, 5 samples on: channel 0 is 705.
    EXPECT_DOUBLE_EQ(valoresEnLatencia(bloqueERP(r, p, 1), p, 20.0)(0), 705.0);
    EXPECT_THROW(bloqueERP(r, p, 2), std::out_of_range);
}

TEST(PromedioERP, RamasQueNoSonPromedios) {
    esperarRechazo([] { describirPromedio(dosTipos()); }, "no está promediada");
    EEG lectura(250, 2, 100);  // a recording with no events, as a .dat gives
    EXPECT_FALSE(esPromedio(lectura));
    esperarRechazo([&] { describirPromedio(lectura); }, "no está promediada");
}

TEST(RangoColor, SimetricoAlrededorDeCero) {
    const RangoColor r = rangoComun({arma::vec{1.0, -3.0}, arma::vec{2.0, arma::datum::nan}});
    EXPECT_EQ(r.minimo, -3.0);
    EXPECT_EQ(r.maximo, 3.0);
    const RangoColor cero = rangoComun({arma::vec{0.0, 0.0}});
    EXPECT_EQ(cero.minimo, -1.0);
    EXPECT_EQ(cero.maximo, 1.0);
    EXPECT_THROW(rangoComun({}), std::invalid_argument);
    EXPECT_THROW(rangoComun({arma::vec{arma::datum::nan}}), std::invalid_argument);
}

TEST(Latencias, TextoDelUsuario) {
    EXPECT_EQ(leerLatencias("100, 300"), (std::vector<double>{100.0, 300.0}));
    EXPECT_EQ(leerLatencias(" -50.5;250  +7 "), (std::vector<double>{-50.5, 250.0, 7.0}));
    EXPECT_TRUE(leerLatencias("").empty());
    EXPECT_TRUE(leerLatencias(" , ").empty());
    esperarRechazo([] { leerLatencias("100, abc"); }, "«abc»");
    esperarRechazo([] { leerLatencias("1.5.2"); }, "«1.5.2»");
}
