// The frequency filter step without a window: refusals before design, the
// result record, the filter state carried from channel to channel, and the
// type names and trace texts of the command.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"
#include "filtering/filtroFrecuencial.h"
#include "filtering/textoEstadoFiltro.h"

namespace {

EEG registroSintetico(uint32_t canales, int64_t muestras, int32_t fs = 256) {
    EEG eeg(fs, canales, muestras);
    arma::arma_rng::set_seed(3);
    eeg.matrices.front() = arma::randn(canales, static_cast<arma::uword>(muestras));
    eeg.historia = " CAR";
    eeg.sujeto = "S01";
    for (uint32_t c = 0; c < canales; ++c) (*eeg.canales)[c].etiqueta = "C" + std::to_string(c);
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    eeg.tablaEventos->modo = 1;
    return eeg;
}

OpcionesFiltro opciones(TipoFiltro tipo, double inf, double sup, int caida) {
    OpcionesFiltro o;
    o.tipo = tipo;
    o.frecInferior = inf;
    o.frecSuperior = sup;
    o.caidaDecibelios = caida;
    return o;
}

// Expects a refusal whose text contains `fragmento`.
void esperaRechazo(const EEG& eeg, const OpcionesFiltro& o, const std::string& fragmento) {
    try {
        filtrarEEG(eeg, o);
        ADD_FAILURE() << "no se rechazo: " << fragmento;
    } catch (const ParametrosFiltroNoValidos& e) {
        EXPECT_NE(std::string(e.what()).find(fragmento), std::string::npos) << e.what();
    }
}

}  // namespace

TEST(OpcionesFiltro, ValoresPorDefectoDelDialogo) {
    const OpcionesFiltro o;
    EXPECT_EQ(o.tipo, TipoFiltro::pasaBanda);
    EXPECT_EQ(static_cast<int>(o.tipo), 2);
    EXPECT_EQ(o.frecInferior, 1.0);
    EXPECT_EQ(o.frecSuperior, 40.0);
    EXPECT_EQ(o.caidaDecibelios, 60);
}

TEST(OpcionesFiltro, CodigosYNombres) {
    EXPECT_EQ(nombreTipoFiltro(tipoFiltroDesdeCodigo(0)), "HIGH");
    EXPECT_EQ(nombreTipoFiltro(tipoFiltroDesdeCodigo(1)), "LOW");
    EXPECT_EQ(nombreTipoFiltro(tipoFiltroDesdeCodigo(2)), "BANDPASS");
    EXPECT_EQ(nombreTipoFiltro(tipoFiltroDesdeCodigo(3)), "BANDSTOP");
    EXPECT_THROW(tipoFiltroDesdeCodigo(4), ParametrosFiltroNoValidos);
    EXPECT_THROW(tipoFiltroDesdeCodigo(-1), ParametrosFiltroNoValidos);
    EXPECT_EQ(tipoFiltroDesdeNombre("HIGH"), TipoFiltro::pasaAltos);
    EXPECT_EQ(tipoFiltroDesdeNombre("low"), TipoFiltro::pasaBajos);
    EXPECT_EQ(tipoFiltroDesdeNombre("BandPass"), TipoFiltro::pasaBanda);
    EXPECT_EQ(tipoFiltroDesdeNombre("bandstop"), TipoFiltro::rechazaBanda);
    EXPECT_THROW(tipoFiltroDesdeNombre("NOTCH"), ParametrosFiltroNoValidos);
    EXPECT_THROW(tipoFiltroDesdeNombre("LOW "), ParametrosFiltroNoValidos);
    EXPECT_THROW(tipoFiltroDesdeNombre(""), ParametrosFiltroNoValidos);
}

TEST(TextoEstadoFiltro, UnTextoPorTipo) {
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::pasaAltos, 1.0, 40.0, 256, 1, 1), "alto 40");
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::pasaBajos, 0.5, 40.0, 256, 1, 1), "bajo 0.5");
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::pasaBanda, 1.0, 40.0, 256, 2, 3), "frecuencia 256 2 3");
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::rechazaBanda, 48.25, 51.75, 256, 1, 1), "notch 48.25 51.75");
    // General format, 6 significant digits.
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::pasaAltos, 1.0, 12.3456789, 256, 1, 1), "alto 12.3457");
}

TEST(FiltrarEEG, PorDefectoPasaBandaConservaElRegistro) {
    const EEG eeg = registroSintetico(4, 500);
    const EEG r = filtrarEEG(eeg, OpcionesFiltro{});
    EXPECT_EQ(r.frecuenciaMuestreo, 256);
    EXPECT_EQ(r.numeroCanales, 4u);
    EXPECT_EQ(r.numeroMuestras, 500);
    EXPECT_EQ(r.numeroMatrices, 1);
    EXPECT_EQ(r.historia, " CAR");  // the command adds the tag
    EXPECT_EQ(r.sujeto, "S01");
    EXPECT_EQ(r.canales, eeg.canales);            // shared, as derivarEEG
    EXPECT_EQ(r.tablaEventos, eeg.tablaEventos);  // shared, as derivarEEG
    ASSERT_EQ(r.matrices.size(), 1u);
    ASSERT_EQ(r.datos().n_rows, 4u);
    ASSERT_EQ(r.datos().n_cols, 500u);

    // The same as one 19-tap band-pass run over the four rows in turn.
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "BANDPASS");
    ASSERT_EQ(f.numeroCoeficientes, 19u);
    for (arma::uword c = 0; c < 4; ++c) {
        const arma::vec y = filtrarFIR(f, eeg.datos().row(c).t());
        EXPECT_TRUE(arma::approx_equal(r.datos().row(c).t(), y, "absdiff", 0.0)) << c;
    }
    // The input is untouched.
    arma::arma_rng::set_seed(3);
    EXPECT_TRUE(arma::approx_equal(eeg.datos(), arma::mat(arma::randn(4, 500)), "absdiff", 0.0));
}

TEST(FiltrarEEG, ElSegundoCanalArrastraElEstadoDelPrimero) {
    EEG eeg(256, 2, 100);
    eeg.matrices.front().row(0).fill(1.0);  // a step that is still "on" at the end of channel 0
    eeg.matrices.front().row(1).zeros();
    const EEG r = filtrarEEG(eeg, opciones(TipoFiltro::pasaBajos, 1.0, 40.0, 60));
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "LOW");
    // Channel 1 alone (all zeros) would give zeros; carrying channel 0's state,
    // output k is the sum of b[k+1] ... b[L-1] (the tail of the unit step).
    const arma::uword l = f.numeroCoeficientes;
    for (arma::uword k = 0; k + 1 < l; ++k) {
        const double cola = arma::accu(f.coeficientes.subvec(k + 1, l - 1));
        EXPECT_NEAR(r.datos()(1, k), cola, 1e-15) << k;
        EXPECT_NE(r.datos()(1, k), 0.0) << k;
    }
    EXPECT_EQ(r.datos()(1, l - 1), 0.0);
    // Channel 0 is a fresh filter's step response: settles at the DC gain 1.
    EXPECT_NEAR(r.datos()(0, 99), 1.0, 1e-14);
}

TEST(FiltrarEEG, CadaTipoFiltraSuBanda) {
    // 256 Hz, 2048 samples: a 2 Hz and a 60 Hz sine; check the steady-state amplitude
    // of each after every type (band 20 to 40 Hz except where noted).
    EEG eeg(256, 2, 2048);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, 2047) / 256.0;
    eeg.matrices.front().row(0) = arma::sin(2 * M_PI * 2.0 * t);
    eeg.matrices.front().row(1) = arma::sin(2 * M_PI * 60.0 * t);
    auto amplitud = [](const EEG& r, arma::uword c) { return arma::abs(r.datos().row(c).cols(1024, 2047)).max(); };

    const EEG bajos = filtrarEEG(eeg, opciones(TipoFiltro::pasaBajos, 20.0, 40.0, 60));
    EXPECT_NEAR(amplitud(bajos, 0), 1.0, 0.02);
    EXPECT_LT(amplitud(bajos, 1), 0.01);
    const EEG altos = filtrarEEG(eeg, opciones(TipoFiltro::pasaAltos, 20.0, 40.0, 60));
    EXPECT_LT(amplitud(altos, 0), 0.01);
    EXPECT_NEAR(amplitud(altos, 1), 1.0, 0.02);
    const EEG banda = filtrarEEG(eeg, opciones(TipoFiltro::pasaBanda, 50.0, 70.0, 60));
    EXPECT_LT(amplitud(banda, 0), 0.01);
    EXPECT_NEAR(amplitud(banda, 1), 1.0, 0.05);
    const EEG rechaza = filtrarEEG(eeg, opciones(TipoFiltro::rechazaBanda, 50.0, 70.0, 60));
    EXPECT_NEAR(amplitud(rechaza, 0), 1.0, 0.02);
    EXPECT_LT(amplitud(rechaza, 1), 0.05);
}

TEST(FiltrarEEG, LimitesEnOrdenInversoOIgualesSeRechazanParaTodoTipo) {
    const EEG eeg = registroSintetico(2, 300);
    for (TipoFiltro t : {TipoFiltro::pasaAltos, TipoFiltro::pasaBajos, TipoFiltro::pasaBanda,
                         TipoFiltro::rechazaBanda}) {
        esperaRechazo(eeg, opciones(t, 40.0, 1.0, 60), "debe ser mayor que el límite inferior");
        esperaRechazo(eeg, opciones(t, 10.0, 10.0, 60), "debe ser mayor que el límite inferior");
    }
}

TEST(FiltrarEEG, LimitesEnONyquistOMasArribaSeRechazan) {
    const EEG eeg = registroSintetico(2, 3000);
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, 1.0, 128.0, 60), "mitad de la frecuencia de muestreo (128 Hz)");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBajos, 1.0, 200.0, 60), "mitad de la frecuencia de muestreo");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaAltos, 130.0, 140.0, 60), "mitad de la frecuencia de muestreo");
    // Just below Nyquist is accepted.
    EXPECT_NO_THROW(filtrarEEG(eeg, opciones(TipoFiltro::pasaBanda, 100.0, 127.99, 60)));
}

TEST(FiltrarEEG, LimiteInferiorNuloNegativoONaNSeRechaza) {
    const EEG eeg = registroSintetico(2, 300);
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBajos, 0.0, 40.0, 60), "debe ser mayor que 0 Hz");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, -1.0, 40.0, 60), "debe ser mayor que 0 Hz");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, std::nan(""), 40.0, 60), "mayor que 0 Hz");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, 1.0, std::nan(""), 60), "límite superior");
}

TEST(FiltrarEEG, OrdenCeroONegativoSeRechaza) {
    const EEG eeg = registroSintetico(2, 300);
    // 0 dB gives order 0; 1 dB over 1 to 40 Hz gives trunc(256 / 858) = 0 too.
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, 1.0, 40.0, 0), "el orden del filtro sería 0");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBajos, 1.0, 40.0, 1), "el orden del filtro sería 0");
    esperaRechazo(eeg, opciones(TipoFiltro::pasaBanda, 1.0, 40.0, -60), "el orden del filtro sería -17");
    // 4 dB: trunc(1024 / 858) = 1, the smallest order accepted (low-pass: 2 taps).
    const EEG r = filtrarEEG(eeg, opciones(TipoFiltro::pasaBajos, 1.0, 40.0, 4));
    EXPECT_EQ(r.datos().n_cols, 300u);
}

TEST(FiltrarEEG, FiltroMasLargoQueLaRamaSeRechaza) {
    // 1 to 1.5 Hz at 60 dB: trunc(15360 / 11) = 1396, band-pass 1397 taps.
    const EEG corta = registroSintetico(2, 1000);
    esperaRechazo(corta, opciones(TipoFiltro::pasaBanda, 1.0, 1.5, 60), "necesitaría 1397 coeficientes");
    const EEG larga = registroSintetico(2, 1397);
    EXPECT_NO_THROW(filtrarEEG(larga, opciones(TipoFiltro::pasaBanda, 1.0, 1.5, 60)));
}

TEST(FiltrarEEG, RamaSinMuestrasOFrecuenciaNoValidaSeRechaza) {
    esperaRechazo(EEG(), OpcionesFiltro{}, "frecuencia de muestreo");
    EEG vacio(256, 4, 0);
    esperaRechazo(vacio, OpcionesFiltro{}, "no tiene muestras");
    EEG sinCanales(256, 0, 100);
    esperaRechazo(sinCanales, OpcionesFiltro{}, "no tiene muestras");
    EEG sinMatriz(256, 2, 100);
    sinMatriz.matrices.clear();
    esperaRechazo(sinMatriz, OpcionesFiltro{}, "no tiene muestras");
    EEG frecuenciaNula = registroSintetico(2, 100);
    frecuenciaNula.frecuenciaMuestreo = 0;
    esperaRechazo(frecuenciaNula, OpcionesFiltro{}, "frecuencia de muestreo de la rama (0 Hz)");
}

TEST(FiltrarEEG, VariasMatricesSiguenElMismoFlujo) {
    // Every matrix of the record is filtered, the state running on from the last
    // row of one matrix into the first row of the next.
    EEG eeg = registroSintetico(3, 200);
    arma::arma_rng::set_seed(5);
    eeg.matrices.push_back(arma::randn(3, 200));
    eeg.numeroMatrices = 2;
    const EEG r = filtrarEEG(eeg, OpcionesFiltro{});
    ASSERT_EQ(r.matrices.size(), 2u);
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "BANDPASS");
    for (arma::uword m = 0; m < 2; ++m)
        for (arma::uword c = 0; c < 3; ++c) {
            const arma::vec y = filtrarFIR(f, eeg.matrices[m].row(c).t());
            EXPECT_TRUE(arma::approx_equal(r.matrices[m].row(c).t(), y, "absdiff", 0.0)) << m << " " << c;
        }
}
