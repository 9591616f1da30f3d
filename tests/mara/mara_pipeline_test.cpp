// The linear classifier, the model files and the MARA pipeline on synthetic
// recordings with small model files written by the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "mara/Mara.h"
#include "mara/clasificarLineal.h"
#include "mara/directorioEjecutable.h"
#include "mara_modelo_prueba.h"

using namespace prueba_mara;

namespace {

// A decomposition of X: the sphere of the data and random rotation-like weights.
void descomposicion(const arma::mat& X, arma::mat& W, arma::mat& S) {
    S = 2.0 * arma::real(arma::inv(arma::sqrtmat(arma::cov(X.t()))));
    arma::arma_rng::set_seed(77);
    arma::mat R;
    arma::qr(W, R, arma::randn(X.n_rows, X.n_rows));
}

struct Corrida {
    EEG salida;
    std::vector<std::string> avisos;
    arma::uvec artefactos;
    arma::mat caracteristicas, entrenamiento;  // the latter adapted to the recording's electrodes
};

Corrida correr(const EEG& eeg, Entrenamiento tipo, const Avance& avance = {}) {
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(tipo), dir.ruta);
    Mara mara(eeg, dir.ruta);
    mara.avance = avance;
    Corrida c;
    mara.avisar = [&c](const std::string& t) { c.avisos.push_back(t); };
    mara.semilla = 42;
    arma::mat W, S;
    descomposicion(eeg.datos(), W, S);
    c.salida = mara.procesar(W, S);
    c.artefactos = mara.artefactos();
    c.caracteristicas = mara.caracteristicas();
    c.entrenamiento = mara.modelo().caracteristicasEntrenamiento;
    return c;
}

}  // namespace

TEST(ClasificarLineal, IgualQueElDiscriminanteCalculadoAMano) {
    // Group 1 (label 1): a cross around (0, 0); group 2: the same cross around (4, 0).
    // Each group's scatter is diag(2, 2), so the pooled covariance is
    // diag(4, 4) / (8 - 2) = diag(2/3, 2/3), ln det = 2 ln(2/3), priors 1/2.
    const arma::mat entrenamiento = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {3, 0}, {5, 0}, {4, -1}, {4, 1}};
    const arma::rowvec etiquetas = {1, 1, 1, 1, 2, 2, 2, 2};
    auto d = [](double d2) { return std::log(0.5) - 0.5 * (1.5 * d2 + 2.0 * std::log(2.0 / 3.0)); };
    // (1, 0): squared distances 1 and 9 -> group 1. (3, 1): 10 and 2 -> group 2. (2, 0): a tie -> the first group.
    const ClasificacionLineal r = clasificarLineal(arma::mat{{1, 0}, {3, 1}, {2, 0}}, entrenamiento, etiquetas);
    EXPECT_TRUE(arma::all(r.clases == arma::uvec{0, 1, 0}));
    EXPECT_TRUE(arma::approx_equal(r.discriminante, arma::mat{{d(1), d(9)}, {d(10), d(2)}, {d(4), d(4)}}, "absdiff", 1e-10));
    EXPECT_NEAR(r.posterior(0, 0), 1.0 / (1.0 + std::exp(-6.0)), 1e-12);  // Mahalanobis 1.5 and 13.5
    EXPECT_NEAR(r.posterior(2, 0), 0.5, 1e-12);
    EXPECT_EQ(r.errorEntrenamiento, 0.0);
    // Only group 2 in the training: label 2 keeps its group index.
    const ClasificacionLineal solo = clasificarLineal(arma::mat{{100, 100}}, entrenamiento.rows(4, 7), etiquetas.cols(4, 7));
    EXPECT_EQ(solo.clases(0), 1u);
    arma::rowvec otras = etiquetas;
    otras(0) = 3;
    const arma::mat m = {{1, 0}};
    for (const auto& mal : std::vector<std::function<void()>>{
             [&] { clasificarLineal(m, entrenamiento, etiquetas.cols(0, 6)); },
             [&] { clasificarLineal(arma::mat{{1, 0, 0}}, entrenamiento, etiquetas); },
             [&] { clasificarLineal(m, entrenamiento, otras); },
             [&] { clasificarLineal(arma::mat{{1, 0, 0}}, arma::mat{{0, 0, 0}, {1, 1, 1}}, arma::rowvec{1, 2}); },  // rows < features
             [&] { clasificarLineal(m, arma::mat(0, 2), arma::rowvec()); }})
        EXPECT_THROW(mal(), std::exception);
}

TEST(Mara, AvisosDeEtiquetasYResultadosExtremos) {
    EXPECT_EQ(correr(registroSintetico(32, 30, 256, 256 * 17), Entrenamiento::todoArtefacto).avisos,
              (std::vector<std::string>{"patterns 32 30", "32 2"}));
    // Every component artefact-like: the back-projection of nothing kept, same counts.
    const Corrida todo = correr(registroSintetico(12, 10, 256, 256 * 17), Entrenamiento::todoArtefacto);
    EXPECT_EQ(todo.artefactos.n_elem, 12u);
    EXPECT_EQ(arma::size(todo.salida.datos()), arma::size(12, 256 * 17));
    EXPECT_EQ(todo.salida.numeroMuestras, 256 * 17);
    EXPECT_EQ(arma::abs(todo.salida.datos()).max(), 0.0);
    // None: a copy of the input.
    const EEG eeg = registroSintetico(12, 10, 250, 250 * 20);
    const Corrida nada = correr(eeg, Entrenamiento::nadaArtefacto);
    EXPECT_TRUE(nada.artefactos.is_empty());
    EXPECT_TRUE(arma::approx_equal(nada.salida.datos(), eeg.datos(), "absdiff", 0.0));
    EXPECT_EQ(nada.salida.frecuenciaMuestreo, 250);
}

// The stages after the ICA report in order, up to 1, and change nothing.
TEST(Mara, ElAvanceNombraLasEtapasYNoCambiaElResultado) {
    const EEG eeg = registroSintetico(12, 10, 250, 250 * 20);
    std::vector<std::pair<double, std::string>> informes;
    const Corrida con = correr(eeg, Entrenamiento::nadaArtefacto, Avance([&](double f, const std::string& etapa) {
                                   informes.emplace_back(f, etapa);
                               }));
    const Corrida sin = correr(eeg, Entrenamiento::nadaArtefacto);
    EXPECT_TRUE(arma::approx_equal(con.salida.datos(), sin.salida.datos(), "absdiff", 0.0));
    EXPECT_EQ(informes.front(), std::make_pair(Mara::fraccionICA, std::string("características")));
    EXPECT_EQ(informes.back(), std::make_pair(1.0, std::string("clasificador")));
    for (size_t i = 1; i < informes.size(); ++i) EXPECT_LE(informes[i - 1].first, informes[i].first);
    // The features report once per component (10), besides their start.
    const auto caracteristicas = std::count_if(informes.begin(), informes.end(),
                                               [](const auto& i) { return i.second == "características"; });
    EXPECT_GE(caracteristicas, 11);
    // A cancellation at the first report, among the features or at the end stops the run.
    for (int en : {1, 6, -1}) {
        int llamadas = 0;
        EXPECT_THROW(correr(eeg, Entrenamiento::nadaArtefacto, Avance([&](double f, const std::string&) {
                                if (++llamadas == en || (en < 0 && f >= 1.0)) throw Cancelado();
                            })),
                     Cancelado)
            << en;
    }
}

TEST(Mara, CaracteristicasEntrenamientoAdaptadoYReconstruccion) {
    const EEG eeg = registroSintetico(8, 8, 200, 200 * 5);
    const Corrida c = correr(eeg, Entrenamiento::todoArtefacto);
    EXPECT_EQ(arma::size(c.caracteristicas), arma::size(6, 8));
    // The training's spatial rows were recomputed for the 8 matched electrodes.
    const arma::mat original = modeloSintetico(Entrenamiento::todoArtefacto).caracteristicasEntrenamiento;
    EXPECT_FALSE(arma::approx_equal(c.entrenamiento.rows(0, 1), original.rows(0, 1), "absdiff", 1e-3));
    EXPECT_TRUE(arma::approx_equal(c.entrenamiento.rows(2, 5), original.rows(2, 5), "absdiff", 0.0));
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    Mara mara(eeg, dir.ruta);
    EXPECT_THROW(mara.procesar(arma::eye(9, 8), arma::eye(8, 8)), std::invalid_argument);
    EXPECT_THROW(mara.procesar(arma::eye(8, 8), arma::eye(7, 7)), std::invalid_argument);

    // X = A s with W = inv(A), S = I: dropping component 1 leaves A(:, {0, 2}) s({0, 2}).
    EEG mezcla(100, 3, 400);
    for (uint32_t c = 0; c < 3; ++c) (*mezcla.canales)[c].etiqueta = etiquetasMara()[c];
    arma::arma_rng::set_seed(5);
    const arma::mat A = arma::randn(3, 3) + 3.0 * arma::eye(3, 3), s = arma::randn(3, 400);
    mezcla.matrices[0] = A * s;
    Mara tres(mezcla, dir.ruta);
    const arma::mat Winv = arma::inv(A), I = arma::eye(3, 3);
    EXPECT_TRUE(arma::approx_equal(tres.reconstruirSinArtefactos(arma::uvec{1}, Winv, I).datos(),
                                   A.cols(arma::uvec{0, 2}) * s.rows(arma::uvec{0, 2}), "absdiff", 1e-9));
    EXPECT_TRUE(arma::approx_equal(tres.reconstruirSinArtefactos(arma::uvec{}, Winv, I).datos(), mezcla.datos(), "absdiff", 1e-9));
    EXPECT_THROW(tres.reconstruirSinArtefactos(arma::uvec{3}, Winv, I), std::invalid_argument);
}

TEST(Mara, ComprobacionesBaratasAntesDeLaICA) {
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    // One matching label; 1.8 s; 64 Hz has no 33-40 Hz bins.
    for (const EEG& eeg : {registroSintetico(6, 1, 256, 256 * 17), registroSintetico(6, 6, 256, 256 + 200),
                           registroSintetico(6, 6, 64, 64 * 30)})
        EXPECT_THROW(Mara(eeg, dir.ruta).comprobarEntrada(), std::invalid_argument);
    EXPECT_NO_THROW(Mara(registroSintetico(6, 2, 256, 512), dir.ruta).comprobarEntrada());
    const EEG unaEtiqueta = registroSintetico(6, 1, 256, 256 * 17);
    arma::mat W, S;
    descomposicion(unaEtiqueta.datos(), W, S);
    EXPECT_THROW(Mara(unaEtiqueta, dir.ruta).procesar(W, S), std::invalid_argument);
}

TEST(ModeloMara, ArchivosQueFaltanIlegiblesODeOtraFormaSeRechazan) {
    DirectorioTemporal dir;
    const EEG eeg = registroSintetico(6, 6, 256, 256 * 5);
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    const ModeloMara bueno = modeloSintetico(Entrenamiento::todoArtefacto);
    guardarModeloMara(bueno, dir.ruta);
    EXPECT_NO_THROW(Mara(eeg, dir.ruta));
    std::filesystem::remove(dir.ruta / "marax.bin");
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    arma::mat(6, 40, arma::fill::ones).save((dir.ruta / "marax.bin").string(), arma::raw_ascii);  // text, not binary
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    guardarModeloMara(bueno, dir.ruta);
    arma::mat(118, 60).save((dir.ruta / "maraL.bin").string(), arma::arma_binary);  // a matrix for the cube
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    for (const auto& cambio : std::vector<std::function<void(ModeloMara&)>>{
             [](ModeloMara& m) { m.leadfield = arma::cube(117, 20, 3, arma::fill::randu); },
             [](ModeloMara& m) { m.leadfield = arma::cube(118, 20, 2, arma::fill::randu); },
             [](ModeloMara& m) { m.patronesEntrenamiento = arma::mat(103, 40, arma::fill::randu); },
             [](ModeloMara& m) { m.caracteristicasEntrenamiento = arma::mat(6, 39, arma::fill::randu); },
             [](ModeloMara& m) { m.caracteristicasEntrenamiento = arma::mat(5, 40, arma::fill::randu); },
             [](ModeloMara& m) { m.etiquetasEntrenamiento = arma::mat(1, 41, arma::fill::ones); },
             [](ModeloMara& m) { m.etiquetasEntrenamiento(0, 3) = 0.0; },
             // A label group left empty.
             [](ModeloMara& m) { m.etiquetasEntrenamiento.fill(2.0); }, [](ModeloMara& m) { m.etiquetasEntrenamiento.fill(1.0); },
             [](ModeloMara& m) {  // 7 training components
                 m.patronesEntrenamiento = m.patronesEntrenamiento.cols(0, 6);
                 m.caracteristicasEntrenamiento = m.caracteristicasEntrenamiento.cols(0, 6);
                 m.etiquetasEntrenamiento = m.etiquetasEntrenamiento.cols(0, 6);
             }}) {
        ModeloMara m = bueno;
        cambio(m);
        guardarModeloMara(m, dir.ruta);
        EXPECT_THROW(cargarModeloMara(dir.ruta), std::runtime_error);
    }
}

TEST(ModeloMara, SeBuscaEnElDirectorioRealDelPrograma) {
    const std::filesystem::path d = directorioEjecutable();
    EXPECT_TRUE(d.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(d));
    EXPECT_NE(d, std::filesystem::current_path());  // tests run from the project root, not the build folder
}
