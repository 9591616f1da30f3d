// Line-noise notches against mne.filter.notch_filter(..., method='fir')
// (tests/data/limpieza/generar_limpieza.py), the choice of 50 or 60 Hz, and
// what a researcher checks: the hum gone, alpha untouched, silence silent.
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "dsp/fir/disenoFIR.h"
#include "filtering/lineaElectrica.h"
#include "io/cargarRegistro.h"
#include "tests/comun/senalLimpieza.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";

EEG rama(const arma::mat& x, int fs) {
    EEG e(fs, static_cast<uint32_t>(x.n_rows), static_cast<int64_t>(x.n_cols));
    e.matrices[0] = x;
    e.canales->resize(x.n_rows);
    return e;
}

arma::mat quitar(const arma::mat& x, int fs, double linea) { return quitarRuidoLinea(rama(x, fs), linea).datos(); }

}  // namespace

TEST(LineaElectrica, ArmonicosPorDebajoDeNyquist) {
    // 100 + 0.25 + 0.5 < 128, 150 is above; at 1000 Hz 480 + 1.2 + 0.5 < 500.
    EXPECT_EQ(armonicosLinea(50, 256), (std::vector<double>{50, 100}));
    EXPECT_EQ(armonicosLinea(60, 1000).size(), 8u);
    EXPECT_EQ(armonicosLinea(60, 1000).back(), 480.0);
    EXPECT_TRUE(armonicosLinea(50, 100).empty());
    EXPECT_THROW(armonicosLinea(0, 256), std::invalid_argument);
}

TEST(LineaElectrica, DisenoConMuescasEnCadaArmonico) {
    // round(6.6 x 256) = 1690, made odd.
    const arma::vec b = disenoMuescas({50, 100}, 256);
    ASSERT_EQ(b.n_elem, 1691u);
    EXPECT_LE(arma::abs(b - arma::reverse(b)).max(), 1e-15);
    const arma::vec db = respuestaFIREn(b, 256, arma::vec{10, 50, 75, 100});
    EXPECT_NEAR(db(0), 0.0, 0.01);
    EXPECT_LT(db(1), -40.0);
    EXPECT_NEAR(db(2), 0.0, 0.01);
    EXPECT_LT(db(3), -40.0);
    EXPECT_THROW(disenoMuescas({}, 256), std::invalid_argument);
    EXPECT_THROW(disenoMuescas({128}, 256), std::invalid_argument);
}

TEST(LineaElectrica, IgualQueNotchFilterDeMNE) {
    EXPECT_LE(errorRelativo(partesLimpieza(quitar(senalLimpieza(256, 5120, 3, 50), 256, 50)),
                            referenciaLimpieza("linea_256_50_tramos.bin")), 1e-9);
    EXPECT_LE(errorRelativo(partesLimpieza(quitar(senalLimpieza(1000, 10000, 2, 60), 1000, 60)),
                            referenciaLimpieza("linea_1000_60_tramos.bin")), 1e-9);
    const EEG p300 = cargarRegistro(datos + "p300_8ch.gdf");
    EXPECT_LE(errorRelativo(partesLimpieza(quitar(p300.datos().submat(0, 0, 3, 7679), 256, 60)),
                            referenciaLimpieza("linea_p300_60_tramos.bin")), 1e-9);
}

TEST(LineaElectrica, SeVaElZumbidoYQuedaElAlfa) {
    const arma::mat x = senalLimpieza(256, 5120, 3, 50);
    const arma::mat y = quitar(x, 256, 50);
    // 10 s from the middle, away from the ends: alpha 20 µV, hum 30 µV before.
    const arma::rowvec antes = x.row(0).cols(1280, 3839), despues = y.row(0).cols(1280, 3839);
    EXPECT_NEAR(amplitudEn(antes, 256, 50), 30.0, 0.1);
    EXPECT_LT(amplitudEn(despues, 256, 50), 0.3);
    EXPECT_LT(amplitudEn(despues, 256, 100), 0.05);
    EXPECT_NEAR(amplitudEn(despues, 256, 10), amplitudEn(antes, 256, 10), 0.01 * 20);
    EXPECT_EQ(arma::abs(y.row(2)).max(), 0.0);
}

TEST(LineaElectrica, LaRamaGuardaLaMuescaEnElPrefiltrado) {
    const EEG e = rama(senalLimpieza(256, 2560, 2, 50), 256);
    (*e.canales)[0].prefiltrado = "HP:0.1Hz";
    const EEG r = quitarRuidoLinea(e, 50);
    EXPECT_EQ((*r.canales)[0].prefiltrado, "HP:0.1Hz N:50Hz");
    EXPECT_EQ((*r.canales)[1].prefiltrado, "N:50Hz");
    EXPECT_EQ((*e.canales)[0].prefiltrado, "HP:0.1Hz");
    EXPECT_EQ(r.numeroMuestras, e.numeroMuestras);
}

TEST(LineaElectrica, RechazaEpocasYFrecuenciasSinSitio) {
    EEG e = rama(senalLimpieza(100, 1000, 2, 50), 100);
    EXPECT_THROW(quitarRuidoLinea(e, 50), std::invalid_argument);  // 50 Hz is Nyquist
    e = rama(senalLimpieza(256, 2560, 2, 50), 256);
    e.epocas = std::make_shared<Epocas>();
    EXPECT_THROW(quitarRuidoLinea(e, 50), std::invalid_argument);
}

TEST(DeteccionLinea, EligeLaFrecuenciaDelZumbido) {
    EXPECT_EQ(detectarFrecuenciaLinea(senalLimpieza(256, 7680, 3, 50), 256), 50);
    EXPECT_EQ(detectarFrecuenciaLinea(senalLimpieza(500, 15000, 3, 60), 500), 60);
    const EEG bdf = cargarRegistro(datos + "formatos/bdf_4ch_status.bdf");
    EXPECT_EQ(detectarFrecuenciaLinea(bdf.datos(), bdf.frecuenciaMuestreo), 50);
}

TEST(DeteccionLinea, SinZumbidoNoAdivina) {
    arma::arma_rng::set_seed(7);
    const arma::mat ruido = 10 * arma::randn(4, 256 * 60);
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { detectarFrecuenciaLinea(ruido, 256); }), "linea:50"));
    EXPECT_THROW(detectarFrecuenciaLinea(ruido, 100), std::invalid_argument);
}
