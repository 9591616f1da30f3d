// Re-referencing against mne.set_eeg_reference
// (tests/data/limpieza/generar_limpieza.py) and on hand-worked numbers.
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "averaging/referencia.h"
#include "io/cargarRegistro.h"
#include "tests/comun/senalLimpieza.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

// Fz Cz P3 Pz, the first 256 samples.
EEG p300Corto() {
    EEG e = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
    e.matrices[0] = arma::mat(e.datos().submat(0, 0, 3, 255));
    e.canales = std::make_shared<std::vector<Canal>>(e.canales->begin(), e.canales->begin() + 4);
    e.numeroCanales = 4;
    e.numeroMuestras = 256;
    return e;
}

}  // namespace

TEST(Referencia, MediaDeTresCanalesAMano) {
    // Column 0: 1, 2, 6 -> mean 3 -> -2, -1, 3. Column 1: all 5 -> zeros.
    const arma::mat x = {{1, 5}, {2, 5}, {6, 5}};
    const arma::mat y = restarReferencia(x, {0, 1, 2});
    EXPECT_TRUE(arma::approx_equal(y, arma::mat{{-2, 0}, {-1, 0}, {3, 0}}, "absdiff", 1e-15));
    // To channel 2 alone: it becomes zero, the others x - x(2).
    EXPECT_TRUE(arma::approx_equal(restarReferencia(x, {2}), arma::mat{{-5, 0}, {-4, 0}, {0, 0}}, "absdiff", 0.0));
    EXPECT_THROW(restarReferencia(x, {}), std::invalid_argument);
    EXPECT_THROW(restarReferencia(x, {3}), std::invalid_argument);
    EXPECT_EQ(restarReferencia(arma::mat(2, 0), {0}).n_cols, 0u);
}

TEST(Referencia, IgualQueSetEegReferenceDeMNE) {
    const EEG e = p300Corto();
    ASSERT_EQ((*e.canales)[1].etiqueta, "Cz");
    EXPECT_LE(errorRelativo(rereferenciar(e, {}, "media").datos(), referenciaLimpieza("referencia_media.bin")), 1e-12);
    EXPECT_LE(errorRelativo(rereferenciar(e, canalesPorEtiqueta(e, {"Cz", "Pz"}), "Cz+Pz").datos(),
                            referenciaLimpieza("referencia_Cz_Pz.bin")), 1e-12);
    EXPECT_LE(errorRelativo(rereferenciar(e, canalesPorEtiqueta(e, {"Cz"}), "Cz").datos(),
                            referenciaLimpieza("referencia_Cz.bin")), 1e-12);
}

TEST(Referencia, EtiquetasQueLaRamaNoTiene) {
    const EEG e = p300Corto();
    EXPECT_EQ(canalesPorEtiqueta(e, {"Pz", "Fz"}), (std::vector<arma::uword>{3, 0}));
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { canalesPorEtiqueta(e, {"M1"}); }),
                         "\"M1\" (tiene Fz, Cz, P3, Pz)"));
    EXPECT_THROW(canalesPorEtiqueta(e, {"Cz", "Cz"}), std::invalid_argument);
}

TEST(Referencia, LaRamaDiceSuReferenciaYSigueEnMicrovoltios) {
    const EEG e = p300Corto();
    const arma::mat copia = e.datos();
    const EEG r = rereferenciar(e, canalesPorEtiqueta(e, {"Cz", "Pz"}), "Cz+Pz");
    EXPECT_EQ((*r.canales)[0].prefiltrado.substr((*r.canales)[0].prefiltrado.size() - 9), "Ref:Cz+Pz");
    EXPECT_EQ((*r.canales)[0].unidad, (*e.canales)[0].unidad);
    EXPECT_TRUE(arma::approx_equal(e.datos(), copia, "absdiff", 0.0));
    EXPECT_EQ(r.tablaEventos, e.tablaEventos);
    // Values of tens of µV stay tens of µV: no change of scale.
    EXPECT_LT(arma::abs(r.datos()).max(), 10 * arma::abs(e.datos()).max());
}

TEST(Referencia, UnaRamaEnEpocasMuestraAMuestra) {
    EEG e = p300Corto();
    auto epocas = std::make_shared<Epocas>();
    epocas->ancho = 128;
    epocas->posicionesOrigen = {100, 400};
    e.epocas = epocas;
    const EEG r = rereferenciar(e, {}, "media");
    EXPECT_EQ(r.epocas, e.epocas);
    EXPECT_LE(errorRelativo(r.datos(), referenciaLimpieza("referencia_media.bin")), 1e-12);
}

// With Pz marked bad (tests/data/canales/generar_canales.py): the mean leaves
// it out, as MNE's does; MNE leaves the bad channel itself unreferenced, this
// step references it with the others, so its row is checked against the
// offset MNE applied to Fz.
TEST(Referencia, LosCanalesMalosQuedanFueraDeLaMedia) {
    EEG e = p300Corto();
    e.canalesMalos = {"Pz"};
    const arma::mat x = e.datos();
    for (const char* caso : {"media", "Cz"}) {
        arma::mat mne;
        ASSERT_TRUE(mne.load(std::string(ONDELAR_RAIZ "/tests/data/canales/referencia_malos_") + caso + ".bin",
                             arma::arma_binary));
        const EEG r = std::string(caso) == "media" ? rereferenciar(e, {}, "media")
                                                   : rereferenciar(e, canalesPorEtiqueta(e, {"Cz"}), "Cz");
        EXPECT_LE(errorRelativo(r.datos().rows(0, 2), mne.rows(0, 2)), 1e-12) << caso;
        const arma::rowvec desplazamiento = mne.row(0) - x.row(0);
        EXPECT_LE(arma::abs(r.datos().row(3) - (x.row(3) + desplazamiento)).max(), 1e-9) << caso;
        EXPECT_EQ(r.canalesMalos, e.canalesMalos);
    }
    // A bad channel named in the reference stays out too: Cz+Pz is Cz alone.
    EXPECT_TRUE(arma::approx_equal(rereferenciar(e, canalesPorEtiqueta(e, {"Cz", "Pz"}), "Cz+Pz").datos(),
                                   rereferenciar(e, canalesPorEtiqueta(e, {"Cz"}), "Cz").datos(), "absdiff", 0.0));
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { rereferenciar(e, canalesPorEtiqueta(e, {"Pz"}), "Pz"); }),
                         "marcados como malos"));
}
