// The frequency filter step without a window: each channel on its own, the
// bands each type keeps, and the refusals before any design.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"
#include "filtering/filtroFrecuencial.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

EEG registro(uint32_t canales, int64_t muestras) {
    EEG eeg(256, canales, muestras);
    arma::arma_rng::set_seed(3);
    eeg.matrices[0] = arma::randn(canales, muestras);
    eeg.historia = " CAR";
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    return eeg;
}

}  // namespace

TEST(FiltrarEEG, CadaCanalYCadaMatrizPorSeparado) {
    // Each row of each matrix is filtered on its own: the same numbers as
    // filtering it alone, and the source's texts and events unchanged.
    EEG eeg = registro(3, 1500);
    eeg.matrices.push_back(arma::randn(3, 1500));
    eeg.numeroMatrices = 2;
    const EEG r = filtrarEEG(eeg, OpcionesFiltro{});
    EXPECT_EQ(r.historia, " CAR");  // the command adds the tag
    EXPECT_EQ(r.canales, eeg.canales);
    EXPECT_EQ(r.tablaEventos, eeg.tablaEventos);
    const arma::vec b = disenarFiltroRama(ramaFiltrable(eeg), OpcionesFiltro{}).coeficientes;
    ASSERT_EQ(b.n_elem, 699u);
    for (arma::uword m = 0; m < 2; ++m)
        for (arma::uword c = 0; c < 3; ++c) {
            const arma::mat sola = filtrarFilasFaseCero(b, arma::mat(eeg.matrices[m].row(c)));
            EXPECT_LE(arma::abs(r.matrices[m].row(c) - sola).max(), 1e-12 * arma::abs(sola).max());
        }
}

TEST(FiltrarEEG, CadaTipoDejaPasarSuBanda) {
    // A 2 Hz and a 60 Hz sine; their amplitude after each type, away from the ends.
    EEG eeg(256, 2, 2048);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, 2047) / 256.0;
    eeg.matrices[0] = arma::join_cols(arma::sin(2 * M_PI * 2.0 * t), arma::sin(2 * M_PI * 60.0 * t));
    const struct {
        TipoFiltro tipo;
        double inf, sup, lento, rapido;
    } casos[] = {{TipoFiltro::pasaBajos, 20, 40, 1, 0}, {TipoFiltro::pasaAltos, 20, 40, 0, 1},
                 {TipoFiltro::pasaBanda, 50, 70, 0, 1}, {TipoFiltro::rechazaBanda, 50, 70, 1, 0}};
    for (const auto& c : casos) {
        const arma::mat y = filtrarEEG(eeg, OpcionesFiltro{c.tipo, c.inf, c.sup, 60}).datos().cols(512, 1535);
        EXPECT_NEAR(arma::abs(y.row(0)).max(), c.lento, 0.05) << nombreTipoFiltro(c.tipo);
        EXPECT_NEAR(arma::abs(y.row(1)).max(), c.rapido, 0.05) << nombreTipoFiltro(c.tipo);
    }
}

// The window's command shows inverted limits, Nyquist, order 0 and a filter
// longer than the branch (comando_filtro_test); these are the other refusals.
TEST(FiltrarEEG, ParametrosSinFiltroUtilSeRechazanAntesDelDiseno) {
    const EEG eeg = registro(2, 1000);
    EEG frecuenciaNula = eeg, sinMatriz = eeg;
    frecuenciaNula.frecuenciaMuestreo = 0;
    sinMatriz.matrices.clear();
    const auto pasaBanda = [](double inf, double sup, int db) {
        return OpcionesFiltro{TipoFiltro::pasaBanda, inf, sup, db};
    };
    const struct {
        EEG eeg;
        OpcionesFiltro opciones;
        const char* texto;
    } casos[] = {
        {eeg, OpcionesFiltro{TipoFiltro::rechazaBanda, 10, 10, 60}, "debe ser mayor que el límite inferior"},
        {eeg, OpcionesFiltro{TipoFiltro::pasaAltos, 130, 140, 60}, "mitad de la frecuencia de muestreo"},
        {eeg, OpcionesFiltro{TipoFiltro::pasaBajos, 0, 40, 60}, "debe ser mayor que 0 Hz"},
        {eeg, pasaBanda(std::nan(""), 40, 60), "mayor que 0 Hz"},
        {eeg, pasaBanda(1, std::nan(""), 60), "límite superior"},
        {eeg, OpcionesFiltro{TipoFiltro::pasaBajos, 1, 40, 0}, "el orden del filtro sería 0"},
        {eeg, pasaBanda(1, 40, -60), "el orden del filtro sería -698"},
        {eeg, OpcionesFiltro{static_cast<TipoFiltro>(5), 1, 40, 60}, "tipo de filtro desconocido (código 5)"},
        {EEG(), OpcionesFiltro{}, "frecuencia de muestreo"},
        {EEG(256, 4, 0), OpcionesFiltro{}, "no tiene muestras"},
        {EEG(256, 0, 100), OpcionesFiltro{}, "no tiene muestras"},
        {sinMatriz, OpcionesFiltro{}, "no tiene muestras"},
        {frecuenciaNula, OpcionesFiltro{}, "frecuencia de muestreo de la rama (0 Hz)"},
    };
    for (const auto& c : casos)
        EXPECT_TRUE(contiene(rechazo<ParametrosFiltroNoValidos>([&] { filtrarEEG(c.eeg, c.opciones); }), c.texto));
    // Just inside the limits: below Nyquist, order 1, as many samples as taps.
    EXPECT_NO_THROW(filtrarEEG(registro(2, 3000), OpcionesFiltro{TipoFiltro::pasaBajos, 100, 127.99, 60}));
    EXPECT_NO_THROW(filtrarEEG(eeg, OpcionesFiltro{TipoFiltro::pasaBajos, 1, 40, 4}));
    EXPECT_NO_THROW(filtrarEEG(registro(2, 1397), pasaBanda(1, 1.5, 60)));
}

TEST(FiltrarEEG, FiltroDemasiadoLargoDiceQueLimiteMover) {
    // 1000 samples at 256 Hz, 60 dB: each band below needs more taps than that.
    const EEG eeg = registro(2, 1000);
    const struct {
        OpcionesFiltro opciones;
        const char* texto;
    } casos[] = {
        // Lower edge 0.1 Hz allows a 0.1 Hz transition: 6983 taps.
        {{TipoFiltro::pasaBanda, 0.1, 40, 60}, "6983 coeficientes y la rama solo tiene 1000 muestras por canal; suba el "
                                              "límite inferior (0.1 Hz), que fija una transición de 0.1 Hz"},
        // 127.9 Hz is 0.1 Hz from Nyquist.
        {{TipoFiltro::pasaBanda, 100, 127.9, 60}, "baje el límite superior (127.9 Hz)"},
        // A band of 0.5 Hz is narrower than what either edge allows.
        {{TipoFiltro::rechazaBanda, 10, 10.5, 60}, "separe más el límite inferior (10 Hz) y el superior (10.5 Hz)"},
        {{TipoFiltro::pasaAltos, 10, 10.5, 60}, "separe más el límite inferior (10 Hz)"},
    };
    for (const auto& c : casos) {
        const std::string texto = rechazo<ParametrosFiltroNoValidos>([&] { filtrarEEG(eeg, c.opciones); });
        EXPECT_TRUE(contiene(texto, c.texto));
        EXPECT_TRUE(contiene(texto, "o reduzca la caída en decibelios"));
    }
}

TEST(FiltrarEEG, AplicaElDisenoDeLaRamaSinRetraso) {
    // An impulse at sample 2000 comes out as the coefficients that
    // disenarFiltroRama gives (the design the dialog draws and the runner
    // uses), centred on it: sample 2000 + j holds b[h + j].
    EEG eeg(256, 1, 4000);
    eeg.matrices[0](0, 2000) = 1.0;
    for (const OpcionesFiltro& o : {OpcionesFiltro{}, OpcionesFiltro{TipoFiltro::rechazaBanda, 48, 52, 60}}) {
        const FiltroFIR d = disenarFiltroRama(ramaFiltrable(eeg), o);
        const arma::uword h = d.numeroCoeficientes / 2;
        const arma::rowvec y = filtrarEEG(eeg, o).datos().row(0);
        EXPECT_LE(arma::abs(y.cols(2000 - h, 2000 + h).t() - d.coeficientes).max(), 1e-13);
        EXPECT_LE(arma::abs(y.head(2000 - h)).max(), 1e-13);
        EXPECT_LE(arma::abs(y.tail(4000 - 2001 - h)).max(), 1e-13);
    }
}
