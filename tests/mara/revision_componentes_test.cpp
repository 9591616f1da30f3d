// What the component review computes away from the window: shares of
// variance, maps, spectra and envelopes of a hand-made decomposition, the
// origin text of a choice, and MARA's vote over a branch of activations.
#include <gtest/gtest.h>

#include <cmath>

#include "averaging/car.h"
#include "io/cargarRegistro.h"
#include "io/descomposicionICA.h"
#include "mara/activacionesICA.h"
#include "mara/revisionComponentes.h"

namespace {

constexpr int kHz = 100;
constexpr arma::uword kMuestras = 400;  // 4 s

// Four channels on the ear-nose circle and four components mixed by
// A = diag(-1, 2, 3, 4): pesos = inv(A), esfera = I, so mezcla() = A. Every
// activation is a unit-variance sine (amplitude sqrt 2), at 10, 20, 30 and
// 5 Hz, so the back-projected variances are |a_q|^2 = 1, 4, 9, 16 (sum 30).
EEG activacionesConocidas() {
    EEG eeg(kHz, 4, static_cast<int64_t>(kMuestras));
    const arma::vec hz = {10.0, 20.0, 30.0, 5.0};
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, kMuestras - 1) / kHz;
    for (arma::uword q = 0; q < 4; ++q) eeg.matrices[0].row(q) = std::sqrt(2.0) * arma::sin(2 * M_PI * hz(q) * t);
    auto d = std::make_shared<DescomposicionICA>();
    const arma::mat A = arma::diagmat(arma::vec{-1.0, 2.0, 3.0, 4.0});
    d->pesos = arma::inv(A);
    d->esfera = arma::eye(4, 4);
    auto canales = std::make_shared<std::vector<Canal>>(4);
    const std::array<std::array<double, 3>, 4> xyz = {{{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}}};
    for (int c = 0; c < 4; ++c) {
        (*canales)[c].etiqueta = "E" + std::to_string(c + 1);
        (*canales)[c].localizacion = xyz[c];
    }
    d->canales = canales;
    eeg.descomposicion = d;
    return eeg;
}

InformeMara votoDe(const arma::uvec& quitadas, arma::uword q) {
    InformeMara v;
    v.componentes = q;
    v.quitadas = quitadas;
    v.caracteristicas = arma::mat(6, q, arma::fill::ones);
    v.probabilidades = arma::vec(q, arma::fill::zeros);
    return v;
}

}  // namespace

TEST(RevisionComponentes, VarianzaSumaUnoYOrdenaDeMayorAMenor) {
    const RevisionComponentes r = prepararRevision(activacionesConocidas());
    const arma::vec esperado = arma::vec{1.0, 4.0, 9.0, 16.0} / 30.0;
    EXPECT_LT(arma::abs(r.varianza - esperado).max(), 1e-9);
    EXPECT_TRUE(arma::all(r.orden == arma::uvec({3, 2, 1, 0})));
}

TEST(RevisionComponentes, MapaConSignoDelElectrodoMayor) {
    OpcionesRevision o;
    o.ladoMapa = 21;
    const RevisionComponentes r = prepararRevision(activacionesConocidas(), o);
    ASSERT_EQ(r.mapas.n_rows, 21u * 21u);
    // Component 1's only electrode weight is -1: flipped, so its map peaks at +1.
    EXPECT_EQ(r.signos(0), -1.0);
    EXPECT_EQ(r.signos(1), 1.0);
    const arma::mat m = mapaComponente(r, 0, 21);
    const arma::vec finitos = m.elem(arma::find_finite(m));
    // Inverse-distance weights never leave the electrodes' range [0, 1]; the
    // grid point nearest the nose electrode comes close to its value.
    EXPECT_GT(finitos.max(), 0.8);
    EXPECT_LE(finitos.max(), 1.0 + 1e-12);
    EXPECT_GE(finitos.min(), -1e-12);
}

TEST(RevisionComponentes, EspectroYEnvolvente) {
    OpcionesRevision o;
    o.columnasTraza = 40;
    const RevisionComponentes r = prepararRevision(activacionesConocidas(), o);
    // 2 s at 100 Hz: the closest power of two is 256 samples, bins of 100/256 Hz.
    ASSERT_EQ(r.frecuencias.n_elem, 129u);
    for (arma::uword q = 0; q < 4; ++q) {
        const double pico = r.frecuencias(r.espectroDb.col(q).index_max());
        EXPECT_NEAR(pico, arma::vec({10.0, 20.0, 30.0, 5.0})(q), 100.0 / 256) << q;
    }
    ASSERT_EQ(r.minimos.n_rows, 40u);
    // 10 samples per stretch span a whole 10 Hz cycle: every stretch reaches
    // the sampled sine's extremes (component 1 drawn with its sign flipped).
    const arma::rowvec s = -activacionesConocidas().datos().row(0);
    EXPECT_LT(arma::abs(r.maximos.col(0) - s.max()).max(), 1e-12);
    EXPECT_LT(arma::abs(r.minimos.col(0) - s.min()).max(), 1e-12);
    EXPECT_DOUBLE_EQ(r.segundos, 4.0);
}

TEST(RevisionComponentes, SinPosicionesNoHayMapas) {
    EEG eeg = activacionesConocidas();
    auto d = std::make_shared<DescomposicionICA>(*eeg.descomposicion);
    auto canales = std::make_shared<std::vector<Canal>>(*d->canales);
    (*canales)[3].localizacion.reset();  // 3 positions: too few to interpolate
    d->canales = canales;
    eeg.descomposicion = d;
    const RevisionComponentes r = prepararRevision(eeg);
    EXPECT_TRUE(r.mapas.is_empty());
    EXPECT_EQ(r.espectroDb.n_cols, 4u);
}

TEST(RevisionComponentes, RechazaRamasSinDescomposicionOMalMedidas) {
    EEG sin = activacionesConocidas();
    sin.descomposicion = nullptr;
    EXPECT_THROW(prepararRevision(sin), std::invalid_argument);
    EEG corta = activacionesConocidas();
    corta.matrices[0] = arma::mat(corta.datos().rows(0, 2));
    EXPECT_THROW(prepararRevision(corta), std::invalid_argument);
    EEG vacia = activacionesConocidas();
    vacia.matrices[0].set_size(4, 0);
    EXPECT_THROW(prepararRevision(vacia), std::invalid_argument);
}

// Two epochs of 200 samples: row e of the image is epoch e; a continuous branch has none.
TEST(RevisionComponentes, ImagenPorEpocas) {
    EEG eeg = activacionesConocidas();
    EXPECT_TRUE(imagenEpocas(eeg, prepararRevision(eeg), 1).is_empty());
    auto epocas = std::make_shared<Epocas>();
    epocas->pre = 99;
    epocas->post = 100;
    epocas->ancho = 200;
    epocas->posicionesOrigen = {1000, 3000};
    epocas->tipos = {{1, 1}, {2, 1}};
    eeg.epocas = epocas;
    const RevisionComponentes r = prepararRevision(eeg);
    const arma::mat imagen = imagenEpocas(eeg, r, 0);
    ASSERT_EQ(imagen.n_rows, 2u);
    ASSERT_EQ(imagen.n_cols, 200u);
    // Component 1 is drawn with its sign flipped.
    EXPECT_DOUBLE_EQ(imagen(1, 5), -eeg.datos()(0, 205));
    EXPECT_DOUBLE_EQ(imagenEpocas(eeg, r, 1)(0, 7), eeg.datos()(1, 7));
}

TEST(OrigenEleccion, SeparaElVotoDeLoMarcadoAMano) {
    const InformeMara voto = votoDe({2, 6}, 12);  // MARA: 3 and 7
    struct Caso {
        const char* nombre;
        std::optional<InformeMara> voto;
        std::vector<arma::uword> quitar;
        std::string esperado;
    };
    const std::vector<Caso> casos = {
        {"voto y mano", voto, {12, 3, 7}, "MARA 3,7; manual 12"},
        {"solo el voto", voto, {7, 3}, "MARA 3,7"},
        {"parte del voto", voto, {3}, "MARA 3"},
        {"solo a mano", voto, {1}, "manual 1"},
        {"sin voto", std::nullopt, {3, 7}, "manual 3,7"},
        {"nada", voto, {}, ""},
    };
    for (const Caso& c : casos) EXPECT_EQ(origenEleccion(c.voto, c.quitar), c.esperado) << c.nombre;
}

TEST(TextoComponente, ProbabilidadYSeisCaracteristicas) {
    InformeMara v = votoDe({0}, 2);
    v.probabilidades = {0.871, 0.1};
    v.caracteristicas.col(0) = arma::vec{1.5, 2, 3, 4, 5, 6};
    const std::string t = textoComponente(v, 0);
    EXPECT_EQ(t.rfind("probabilidad de artefacto 0.87\n", 0), 0u) << t;
    EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 6);
    EXPECT_NE(t.find("norma de la densidad de corriente: 1.5"), std::string::npos) << t;
}

// The vote is the one aplicarMara reports over the same activations.
TEST(VotoMara, ElDeAplicarMaraSobreLasActivaciones) {
    const std::string datos = ONDELAR_RAIZ "/../shared/data/";
    EEG eeg = cargarRegistro(datos + "p300_8ch.gdf", datos + "p300_8ch.ced");
    eeg.tablaEventos = nullptr;
    eeg.matrices[0] = arma::mat(eeg.datos().cols(0, 256 * 20 - 1));
    eeg.numeroMuestras = 256 * 20;
    const EEG activaciones = activacionesICA(aplicarCAR(eeg), 4u);
    OpcionesMara o;
    o.directorioModelos = ONDELAR_MODELOS;
    o.semilla = 4;
    std::optional<InformeMara> informe;
    o.informar = [&informe](const InformeMara& i) { informe = i; };
    aplicarMara(activaciones, o);
    const InformeMara voto = votoMara(activaciones, ONDELAR_MODELOS, 4u);
    ASSERT_TRUE(informe);
    EXPECT_EQ(voto.componentes, 7u);
    EXPECT_TRUE(arma::all(voto.quitadas == informe->quitadas));
    EXPECT_LT(arma::abs(voto.probabilidades - informe->probabilidades).max(), 1e-9);
    EXPECT_THROW(votoMara(eeg, ONDELAR_MODELOS, 4u), std::invalid_argument);
}
