#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "mara/Mara.h"
#include "mara/directorioEjecutable.h"
#include "mara_modelo_prueba.h"

using namespace prueba_mara;

namespace {

// A decomposition of X: the sphere of the mean-removed data and random rotation-like weights.
void descomposicion(const arma::mat& X, arma::mat& W, arma::mat& S) {
    arma::mat Xc = X;
    Xc.each_col() -= arma::mean(Xc, 1);
    S = 2.0 * arma::real(arma::inv(arma::sqrtmat(arma::cov(Xc.t()))));
    arma::arma_rng::set_seed(77);
    arma::mat Qm, R;
    arma::qr(Qm, R, arma::randn(X.n_rows, X.n_rows));
    W = Qm;
}

struct Corrida {
    EEG salida;
    std::vector<std::string> avisos;
    arma::uvec artefactos;
};

Corrida correr(const EEG& eeg, Entrenamiento tipo) {
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(tipo), dir.ruta);
    Mara mara(eeg, dir.ruta);
    Corrida c;
    mara.avisar = [&c](const std::string& t) { c.avisos.push_back(t); };
    mara.semilla = 42;
    arma::mat W, S;
    descomposicion(eeg.datos(), W, S);
    c.salida = mara.procesar(W, S);
    c.artefactos = mara.artefactos();
    return c;
}

}  // namespace

TEST(Mara, TreintaYDosCanalesConTreintaEtiquetadosAvisanPatterns32_30Y32_2) {
    const EEG eeg = registroSintetico(32, 30, 256, 256 * 17);
    const Corrida c = correr(eeg, Entrenamiento::todoArtefacto);
    EXPECT_EQ(c.avisos, (std::vector<std::string>{"patterns 32 30", "32 2"}));
}

TEST(Mara, TodoArtefactoDejaLaProyeccionDeNada) {
    const EEG eeg = registroSintetico(12, 10, 256, 256 * 17);
    const Corrida c = correr(eeg, Entrenamiento::todoArtefacto);
    EXPECT_EQ(c.artefactos.n_elem, 12u);
    ASSERT_EQ(c.salida.datos().n_rows, 12u);
    ASSERT_EQ(c.salida.datos().n_cols, 256u * 17u);
    EXPECT_EQ(c.salida.numeroCanales, 12u);
    EXPECT_EQ(c.salida.numeroMuestras, 256 * 17);
    EXPECT_EQ(arma::abs(c.salida.datos()).max(), 0.0);
}

TEST(Mara, NingunArtefactoDevuelveUnaCopiaDeLaEntrada) {
    const EEG eeg = registroSintetico(12, 10, 250, 250 * 20);
    const Corrida c = correr(eeg, Entrenamiento::nadaArtefacto);
    EXPECT_TRUE(c.artefactos.is_empty());
    EXPECT_TRUE(arma::approx_equal(c.salida.datos(), eeg.datos(), "absdiff", 0.0));
    EXPECT_EQ(c.salida.numeroMuestras, eeg.numeroMuestras);
    EXPECT_EQ(c.salida.frecuenciaMuestreo, 250);
}

TEST(Mara, CaracteristicasYEntrenamientoAdaptado) {
    const EEG eeg = registroSintetico(8, 8, 200, 200 * 5);
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    Mara mara(eeg, dir.ruta);
    mara.semilla = 1;
    arma::mat W, S;
    descomposicion(eeg.datos(), W, S);
    mara.procesar(W, S);
    EXPECT_EQ(mara.caracteristicas().n_rows, 6u);
    EXPECT_EQ(mara.caracteristicas().n_cols, 8u);
    EXPECT_TRUE(mara.caracteristicas().is_finite());
    EXPECT_TRUE(arma::approx_equal(mara.mezcla(), arma::pinv(W * S), "absdiff", 1e-9));
    // The training's spatial rows were recomputed for the 8 matched electrodes.
    const ModeloMara original = modeloSintetico(Entrenamiento::todoArtefacto);
    EXPECT_FALSE(arma::approx_equal(mara.modelo().caracteristicasEntrenamiento.rows(0, 1),
                                    original.caracteristicasEntrenamiento.rows(0, 1), "absdiff", 1e-3));
    EXPECT_TRUE(arma::approx_equal(mara.modelo().caracteristicasEntrenamiento.rows(2, 5),
                                   original.caracteristicasEntrenamiento.rows(2, 5), "absdiff", 0.0));
}

TEST(Mara, ReconstruirSinArtefactosQuitaSoloEsasComponentes) {
    // X = A s with W = inv(A), S = I: dropping component 1 leaves A(:, {0, 2}) s({0, 2}).
    EEG eeg(100, 3, 400);
    for (uint32_t c = 0; c < 3; ++c) (*eeg.canales)[c].etiqueta = etiquetasMara()[c];
    arma::arma_rng::set_seed(5);
    const arma::mat A = arma::randn(3, 3) + 3.0 * arma::eye(3, 3);
    const arma::mat s = arma::randn(3, 400);
    eeg.matrices[0] = A * s;
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    Mara mara(eeg, dir.ruta);
    const arma::mat W = arma::inv(A);
    const EEG r = mara.reconstruirSinArtefactos(arma::uvec{1}, W, arma::eye(3, 3));
    const arma::mat esperado = A.cols(arma::uvec{0, 2}) * s.rows(arma::uvec{0, 2});
    EXPECT_TRUE(arma::approx_equal(r.datos(), esperado, "absdiff", 1e-9));
    EXPECT_TRUE(arma::approx_equal(mara.reconstruirSinArtefactos(arma::uvec{}, W, arma::eye(3, 3)).datos(),
                                   eeg.datos(), "absdiff", 1e-9));
    EXPECT_THROW(mara.reconstruirSinArtefactos(arma::uvec{3}, W, arma::eye(3, 3)), std::invalid_argument);
}

TEST(Mara, ComprobacionesBaratasAntesDeLaICA) {
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    arma::mat W, S;

    const EEG unaEtiqueta = registroSintetico(6, 1, 256, 256 * 17);
    EXPECT_THROW(Mara(unaEtiqueta, dir.ruta).comprobarEntrada(), std::invalid_argument);
    descomposicion(unaEtiqueta.datos(), W, S);
    EXPECT_THROW(Mara(unaEtiqueta, dir.ruta).procesar(W, S), std::invalid_argument);

    const EEG corto = registroSintetico(6, 6, 256, 256 + 200);  // 1.8 s
    EXPECT_THROW(Mara(corto, dir.ruta).comprobarEntrada(), std::invalid_argument);

    const EEG lento = registroSintetico(6, 6, 64, 64 * 30);  // no 33-40 Hz bins
    EXPECT_THROW(Mara(lento, dir.ruta).comprobarEntrada(), std::invalid_argument);

    EXPECT_NO_THROW(Mara(registroSintetico(6, 2, 256, 512), dir.ruta).comprobarEntrada());
}

TEST(Mara, PesosDeOtroTamanoSeRechazan) {
    DirectorioTemporal dir;
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    const EEG eeg = registroSintetico(6, 6, 256, 256 * 5);
    Mara mara(eeg, dir.ruta);
    EXPECT_THROW(mara.procesar(arma::eye(5, 6), arma::eye(6, 6)), std::invalid_argument);
    EXPECT_THROW(mara.procesar(arma::eye(6, 6), arma::eye(5, 5)), std::invalid_argument);
}

TEST(ModeloMara, ArchivoQueFaltaOIlegibleSeRechaza) {
    DirectorioTemporal dir;
    const EEG eeg = registroSintetico(6, 6, 256, 256 * 5);
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    EXPECT_NO_THROW(Mara(eeg, dir.ruta));
    std::filesystem::remove(dir.ruta / "marax.bin");
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    // A text file under the binary name.
    arma::mat(6, 40, arma::fill::ones).save((dir.ruta / "marax.bin").string(), arma::raw_ascii);
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
    // A matrix where the cube should be.
    guardarModeloMara(modeloSintetico(Entrenamiento::todoArtefacto), dir.ruta);
    arma::mat(118, 60).save((dir.ruta / "maraL.bin").string(), arma::arma_binary);
    EXPECT_THROW(Mara(eeg, dir.ruta), std::runtime_error);
}

TEST(ModeloMara, FormasEquivocadasSeRechazan) {
    DirectorioTemporal dir;
    auto rechaza = [&](const ModeloMara& m) {
        guardarModeloMara(m, dir.ruta);
        EXPECT_THROW(cargarModeloMara(dir.ruta), std::runtime_error);
    };
    const ModeloMara bueno = modeloSintetico(Entrenamiento::todoArtefacto);
    ModeloMara m = bueno;
    m.leadfield = arma::cube(117, 20, 3, arma::fill::randu);
    rechaza(m);
    m = bueno;
    m.leadfield = arma::cube(118, 20, 2, arma::fill::randu);
    rechaza(m);
    m = bueno;
    m.patronesEntrenamiento = arma::mat(103, 40, arma::fill::randu);
    rechaza(m);
    m = bueno;
    m.caracteristicasEntrenamiento = arma::mat(6, 39, arma::fill::randu);
    rechaza(m);
    m = bueno;
    m.caracteristicasEntrenamiento = arma::mat(5, 40, arma::fill::randu);
    rechaza(m);
    m = bueno;
    m.etiquetasEntrenamiento = arma::mat(1, 41, arma::fill::ones);
    rechaza(m);
    m = bueno;
    m.etiquetasEntrenamiento(0, 3) = 0.0;
    rechaza(m);
    m = bueno;
    m.patronesEntrenamiento = bueno.patronesEntrenamiento.cols(0, 6);
    m.caracteristicasEntrenamiento = bueno.caracteristicasEntrenamiento.cols(0, 6);
    m.etiquetasEntrenamiento = bueno.etiquetasEntrenamiento.cols(0, 6);
    rechaza(m);  // 7 training components
    guardarModeloMara(bueno, dir.ruta);
    EXPECT_NO_THROW(cargarModeloMara(dir.ruta));
}

TEST(ModeloMara, GrupoDeEtiquetasVacioSeRechaza) {
    DirectorioTemporal dir;
    ModeloMara m = modeloSintetico(Entrenamiento::todoArtefacto);
    m.etiquetasEntrenamiento.fill(2.0);
    guardarModeloMara(m, dir.ruta);
    EXPECT_THROW(cargarModeloMara(dir.ruta), std::runtime_error);
    m.etiquetasEntrenamiento.fill(1.0);
    guardarModeloMara(m, dir.ruta);
    EXPECT_THROW(cargarModeloMara(dir.ruta), std::runtime_error);
}

TEST(DirectorioEjecutable, EsElDirectorioRealDelPrograma) {
    const std::filesystem::path d = directorioEjecutable();
    EXPECT_TRUE(d.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(d));
    EXPECT_NE(d, std::filesystem::current_path());  // tests run from the project root, not the build folder
}
