#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <armadillo>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"
#include "io/GdfFileReader.h"

using prueba::DirectorioTemporal;

namespace {

const std::string rutaGdf = ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf";

EEG leerP300() {
    GdfFileReader lector;
    EEG eeg = lector.leer(rutaGdf);
    EXPECT_TRUE(lector.motivoFallo().empty()) << lector.motivoFallo();
    return eeg;
}

int filaDelTipo(const TablaEventos& tabla, int32_t tipo, int32_t calificador) {
    for (size_t k = 0; k < tabla.tipos.size(); ++k)
        if (tabla.tipos[k].tipo == tipo && tabla.tipos[k].calificador == calificador) return static_cast<int>(k);
    return -1;
}

DestinoCubo destinoEn(const DirectorioTemporal& dir) {
    DestinoCubo d;
    d.directorio = dir.ruta();
    return d;
}

}  // namespace

TEST(AveragingP300, KindOneOneHundredBeforeSixHundredAfter) {
    const EEG eeg = leerP300();
    ASSERT_TRUE(eeg.tieneEventos());
    ASSERT_EQ(eeg.datos().n_rows, 8u);
    const int fila = filaDelTipo(*eeg.tablaEventos, 1, 1);
    ASSERT_GE(fila, 0);

    // 256 x 100 / 1000 = 25.6 -> 25 before, 256 x 600 / 1000 = 153.6 -> 153
    // after, W = 179.
    const VentanaEpoca v = calcularVentana(eeg.frecuenciaMuestreo, 100, 600);
    EXPECT_EQ(v.pre, 25);
    EXPECT_EQ(v.post, 153);

    DirectorioTemporal dir;
    const ResultadoPromediado r =
        promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, {fila}, 100, 600), destinoEn(dir));
    EXPECT_EQ(r.numeroEpocas, 60u);
    const EEG& p = r.promedio;
    EXPECT_EQ(p.datos().n_rows, 8u);
    EXPECT_EQ(p.datos().n_cols, 179u);
    EXPECT_EQ(p.numeroMuestras, 179);
    EXPECT_EQ(p.numeroCanales, 8u);
    EXPECT_DOUBLE_EQ(p.tiempoInicio, 0.1);
    EXPECT_DOUBLE_EQ(p.tiempoFin, 0.1);  // 178 / 256 = 0 in integer division
    EXPECT_FALSE(p.tieneEventos());

    // The epochs, cut independently from every type-1 event.
    const arma::mat& X = eeg.datos();
    std::vector<arma::mat> epocas;
    for (const Evento& e : eeg.tablaEventos->eventos)
        if (e.tipo == 1 && e.calificador == 1)
            epocas.push_back(
                X.cols(static_cast<arma::uword>(e.posicion - 25), static_cast<arma::uword>(e.posicion + 153)));
    ASSERT_EQ(epocas.size(), 60u);

    ASSERT_FALSE(r.archivoCubo.empty());
    arma::cube cubo;
    ASSERT_TRUE(cubo.load(r.archivoCubo.string(), arma::arma_binary));
    ASSERT_EQ(cubo.n_rows, 8u);
    ASSERT_EQ(cubo.n_cols, 179u);
    ASSERT_EQ(cubo.n_slices, 60u);
    arma::mat suma(8, 179, arma::fill::zeros);
    for (arma::uword i = 0; i < 60; ++i) {
        EXPECT_TRUE(arma::approx_equal(cubo.slice(i), epocas[i], "absdiff", 0.0)) << "epoca " << i;
        suma += epocas[i];
    }
    EXPECT_TRUE(arma::approx_equal(p.datos(), suma / 60.0, "reldiff", 1e-12));
}

TEST(AveragingP300, AfterCommonAverageReference) {
    const EEG eeg = leerP300();
    const EEG car = aplicarCAR(eeg);
    ASSERT_TRUE(car.tieneEventos());
    const int fila = filaDelTipo(*car.tablaEventos, 1, 1);
    DirectorioTemporal dir;
    const ResultadoPromediado r =
        promediarEventos(car, parametrosDeFilas(*car.tablaEventos, {fila}, 100, 600), destinoEn(dir));
    EXPECT_EQ(r.numeroEpocas, 60u);
    // CAR is linear: averaging after it equals CAR of the average.
    const ResultadoPromediado sinCar =
        promediarEventos(eeg, parametrosDeFilas(*eeg.tablaEventos, {fila}, 100, 600), destinoEn(dir));
    EXPECT_TRUE(arma::approx_equal(r.promedio.datos(), referenciaPromedioComun(sinCar.promedio.datos()), "absdiff",
                                   1e-9));
    EXPECT_EQ(dir.archivos().size(), 2u);
}

TEST(AveragingP300, EveryKindHasSixtyEvents) {
    const EEG eeg = leerP300();
    const TablaEventos& t = *eeg.tablaEventos;
    ASSERT_EQ(t.tipos.size(), 12u);
    for (const Evento& k : t.tipos) {
        const std::vector<double> tipo{static_cast<double>(k.tipo)}, calificador{static_cast<double>(k.calificador)};
        EXPECT_EQ(posicionesSeleccionadas(t, tipo, calificador).size(), 60u) << "tipo " << k.tipo;
    }
}
