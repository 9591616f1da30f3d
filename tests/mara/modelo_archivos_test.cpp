#include <gtest/gtest.h>

#include "io/EEG.h"
#include "mara/Mara.h"
#include "mara/caracteristicasEspaciales.h"
#include "mara/etiquetasMara.h"
#include "mara/modelo/parametrosSimulacion.h"
#include "mara/operadorDensidadCorriente.h"
#include "modelo_ayuda.h"

using namespace prueba_modelo;

TEST(ModeloGenerado, LosCuatroArchivosTienenLasFormasDelModelo) {
    const ModeloMara& m = modeloGenerado();
    EXPECT_EQ(m.leadfield.n_rows, 118u);
    EXPECT_EQ(m.leadfield.n_cols, 2700u);
    EXPECT_EQ(m.leadfield.n_slices, 3u);
    const arma::uword n = m.etiquetasEntrenamiento.n_cols;
    EXPECT_EQ(m.patronesEntrenamiento.n_rows, 104u);
    EXPECT_EQ(m.patronesEntrenamiento.n_cols, n);
    EXPECT_EQ(m.caracteristicasEntrenamiento.n_rows, 6u);
    EXPECT_EQ(m.caracteristicasEntrenamiento.n_cols, n);
    EXPECT_EQ(m.etiquetasEntrenamiento.n_rows, 1u);
    EXPECT_TRUE(m.caracteristicasEntrenamiento.is_finite());
    EXPECT_TRUE(m.patronesEntrenamiento.is_finite());
}

TEST(ModeloGenerado, AlMenosTrescientasComponentesDeCadaEtiqueta) {
    const arma::rowvec e = modeloGenerado().etiquetasEntrenamiento.row(0);
    EXPECT_GE(arma::accu(e == 1.0), 300u);
    EXPECT_GE(arma::accu(e == 2.0), 300u);
    EXPECT_EQ(arma::accu(e == 1.0) + arma::accu(e == 2.0), e.n_elem);
}

TEST(ModeloGenerado, MaraLoCargaDesdeLaCarpeta) {
    EEG eeg(256, 3, 256 * 17);
    (*eeg.canales)[0].etiqueta = "Cz";
    (*eeg.canales)[1].etiqueta = "Fp1";
    (*eeg.canales)[2].etiqueta = "O1";
    const Mara mara(eeg, directorioModelos());
    EXPECT_EQ(mara.modelo().caracteristicasEntrenamiento.n_cols, modeloGenerado().etiquetasEntrenamiento.n_cols);
    EXPECT_TRUE(arma::approx_equal(mara.modelo().leadfield, modeloGenerado().leadfield, "absdiff", 0.0));
    EXPECT_NO_THROW(mara.comprobarEntrada());
}

TEST(ModeloGenerado, LosPatronesSonLosMapasEnLasFilasDeEtiquetasMara) {
    // The first training component is the first brain component of the
    // shipped seed; its 118-electrode map, read at the lead-field rows of
    // etiquetasMara(), is the first column of marapattern.bin.
    const ModeloMara& m = modeloGenerado();
    ASSERT_EQ(m.etiquetasEntrenamiento(0, 0), 2.0);
    const ComponentesSimuladas c = simularComponentes(cabeza(), ClaseSimulada::cerebro, 1,
                                                      parametrosSimulacion::semillaEntrenamiento + 1000003u);
    const arma::vec mapa = c.mapas.col(0);
    const arma::vec esperado = mapa.elem(filasLeadfield(etiquetasMara()));
    EXPECT_TRUE(arma::approx_equal(esperado, arma::vec(m.patronesEntrenamiento.col(0)), "reldiff", 1e-12));
}

TEST(ModeloGenerado, FilasEspacialesConElOperadorDeLos104Canales) {
    const ModeloMara& m = modeloGenerado();
    const arma::mat M = operadorDensidadCorriente(m.leadfield, filasLeadfield(etiquetasMara()));
    const arma::mat F = caracteristicasEspaciales(m.patronesEntrenamiento, M);
    EXPECT_TRUE(arma::approx_equal(F, m.caracteristicasEntrenamiento.rows(0, 1), "absdiff", 1e-8));
}

TEST(ModeloGenerado, LaSimulacionEsDeterminista) {
    const ComponentesSimuladas a = simularComponentes(cabeza(), ClaseSimulada::parpadeo, 3, 11);
    const ComponentesSimuladas b = simularComponentes(cabeza(), ClaseSimulada::parpadeo, 3, 11);
    const ComponentesSimuladas c = simularComponentes(cabeza(), ClaseSimulada::parpadeo, 3, 12);
    EXPECT_TRUE(arma::approx_equal(a.mapas, b.mapas, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(a.cursos, b.cursos, "absdiff", 0.0));
    EXPECT_FALSE(arma::approx_equal(a.cursos, c.cursos, "absdiff", 1e-6));
}

TEST(ModeloGenerado, CabezaConUnCampoDeOtraFormaSeRechaza) {
    const TablaElectrodos t = leerTablaElectrodos(ONDELAR_RAIZ "/mara/modelo/electrodos_1005_118.tsv");
    EXPECT_THROW(construirCabeza(t, arma::cube(118, 10, 3, arma::fill::zeros)), std::invalid_argument);
}
