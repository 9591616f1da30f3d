// An epoched branch after the review: what the browser's marks say, the
// history the epoch steps leave, a choice by eye replayed by the runner, and
// the branch saved as EDF+, BDF+ and GDF with its boundaries.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "averaging/epocas.h"
#include "io/cargarRegistro.h"
#include "io/guardarRama.h"
#include "pasos/pasosEpocas.h"
#include "representacion/revisionEpocas.h"

namespace {

// Four epochs of 1 + 10 + 19 samples at 100 Hz around kinds 1.1 and 2.1;
// channel 0 is the source's sample index, channel 1 silent.
EEG cuatroEpocas() {
    EEG r(100, 2, 1000);
    r.matrices[0].row(0) = arma::regspace<arma::rowvec>(0, 999);
    (*r.canales)[0].etiqueta = "Cz";
    (*r.canales)[1].etiqueta = "Pz";
    r.tablaEventos = std::make_shared<TablaEventos>();
    int i = 0;
    for (const int p : {100, 300, 500, 700}) fijarEvento(*r.tablaEventos, Evento{1 + i % 2, p, 1}, i), ++i;
    std::vector<std::string> avisos;
    return cortarEpocas(r, {{1, 1}, {2, 1}}, 100, 190, avisos);
}

TEST(RevisionEpocas, LasMarcasDeLasReglasYLosClicsDelUsuario) {
    RevisionEpocas r(4, 30);
    EXPECT_EQ(r.resumen(), "0 de 4 épocas marcadas");
    r.fijarMotivos({{}, {{"pp", "Fz"}, {"prob", "global"}}, {}, {}});
    EXPECT_EQ(r.marcadas(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(r.motivo(1), "pp Fz, prob global");
    r.alternar(1);  // kept by the user against the rules
    r.alternar(3);  // marked by hand
    EXPECT_EQ(r.motivo(1), "pp Fz, prob global (conservada a mano)");
    EXPECT_EQ(r.motivo(3), "a mano");
    EXPECT_EQ(r.motivo(0), "");
    EXPECT_EQ(r.resumen(), "1 de 4 épocas marcadas");
    EXPECT_THROW(r.fijarMotivos({{}}), std::invalid_argument);

    // Columns 0-29 are epoch 0, 30-59 epoch 1...; a page of 45 samples from 20 touches epochs 0-2.
    EXPECT_EQ(r.epocaDeColumna(29), 0);
    EXPECT_EQ(r.epocaDeColumna(30), 1);
    EXPECT_EQ(r.epocaDeColumna(120), -1);
    EXPECT_EQ(r.epocaDeColumna(-1), -1);
    EXPECT_EQ(r.epocasPagina(20, 45.0), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(r.epocasPagina(100, 300.0), (std::vector<std::size_t>{3}));
}

TEST(PasosEpocas, LaHistoriaCuentaLasEpocasYLaEleccionAOjoSeRepite) {
    const EEG epocas = cuatroEpocas();
    ASSERT_EQ(epocas.epocas->numero(), 4u);
    const Paso cortar = pasoEpocas({{1, 1}, {2, 1}}, 100, 190);
    EXPECT_EQ(cortar.texto, "epocas:1.1+2.1,100,190");

    // Epochs 2 and 4 dropped by eye; the runner's text replays the same choice.
    const Paso aOjo = pasoQuitarEpocas({false, true, false, true});
    EXPECT_EQ(aOjo.texto, "quitar-epocas:2+4");
    AvisosPaso avisos;
    const EEG quedan = aOjo.calcular(epocas, avisos, {});
    const EEG otraVez = interpretarPaso(aOjo.texto, {}).calcular(epocas, avisos, {});
    ASSERT_EQ(quedan.epocas->numero(), 2u);
    EXPECT_TRUE(arma::approx_equal(quedan.datos(), otraVez.datos(), "absdiff", 0.0));
    EXPECT_EQ(quedan.epocas->posicionesOrigen, (std::vector<int64_t>{100, 500}));
    EXPECT_EQ(etiquetaHistoria(aOjo, epocas, quedan), "Rechazo(2 de 4)");
    EXPECT_EQ(etiquetaHistoria(cortar, EEG{}, epocas), "Epocas(4)");
    EXPECT_THROW(pasoQuitarEpocas({true, true, true, true}).calcular(epocas, avisos, {}), RechazoPaso);
    EXPECT_THROW(interpretarPaso("quitar-epocas:0", {}), std::invalid_argument);
    // A number far beyond the branch is refused when it runs, without a flag per epoch up to it.
    EXPECT_THROW(interpretarPaso("quitar-epocas:3+1111111111", {}).calcular(epocas, avisos, {}), RechazoPaso);
    EXPECT_EQ(interpretarPaso("quitar-epocas:4+2+4", {}).texto, "quitar-epocas:4+2+4");

    // The means per kind say how many epochs are behind each; a kind with
    // no epoch left is refused, not averaged.
    const Paso media = pasoPromediadoEpocas({{1, 1}, {2, 1}});
    const EEG promedio = media.calcular(pasoQuitarEpocas({false, false, false, true}).calcular(epocas, avisos, {}),
                                        avisos, {});
    EXPECT_EQ(etiquetaHistoria(media, epocas, promedio), "Promediado(1.1: 2, 2.1: 1)");
    EXPECT_THROW(media.calcular(quedan, avisos, {}), RechazoPaso);
}

TEST(GuardadoEpocas, SeGuardanSeguidasConSuCeroYUnaFronteraEntreEllas) {
    const EEG epocas = cuatroEpocas();
    const EEG vista = conFronterasEpocas(epocas);
    EXPECT_EQ(vista.datos().memptr(), epocas.datos().memptr()) << "the samples are read in place, not copied";
    const auto W = epocas.epocas->ancho, pre = epocas.epocas->pre;
    const std::string carpeta = ::testing::TempDir();
    for (const std::string ext : {"edf", "bdf", "gdf"}) {
        const std::string ruta = carpeta + "/epocas." + ext;
        guardarRama(epocas, ruta);
        const EEG leido = cargarRegistro(ruta);
        ASSERT_TRUE(leido.tablaEventos) << ext;
        std::vector<int32_t> ceros, fronteras;
        for (const Evento& e : leido.tablaEventos->eventos)
            (e.tipo == tipoFrontera ? fronteras : ceros).push_back(e.posicion);
        EXPECT_EQ(ceros, (std::vector<int32_t>{pre, W + pre, 2 * W + pre, 3 * W + pre})) << ext;
        EXPECT_EQ(fronteras, (std::vector<int32_t>{W, 2 * W, 3 * W})) << ext;
        // Each epoch's first sample is its source sample; the silent channel stays silent.
        for (int e = 0; e < 4; ++e)
            EXPECT_NEAR(leido.datos()(0, arma::uword(e * W)), 100 + 200 * e - pre, 0.05) << ext;
        EXPECT_LT(arma::abs(leido.datos().row(1).cols(0, 4 * W - 1)).max(), 1e-12) << ext;
        std::filesystem::remove(ruta);
    }
    // .bin holds the averaging's cube: channels x W x E, one slice per epoch.
    const std::string bin = carpeta + "/epocas.bin";
    guardarRama(epocas, bin);
    arma::cube cubo;
    ASSERT_TRUE(cubo.load(bin, arma::arma_binary));
    ASSERT_EQ(arma::size(cubo), arma::size(2, W, 4));
    for (arma::uword e = 0; e < 4; ++e)
        EXPECT_TRUE(arma::approx_equal(cubo.slice(e), epocas.datos().cols(e * W, (e + 1) * W - 1), "absdiff", 0.0));
    std::filesystem::remove(bin);
}

}  // namespace
