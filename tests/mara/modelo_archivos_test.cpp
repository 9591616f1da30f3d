// The model files the build generated: shapes, labels, and the patterns and
// spatial rows as the head model and the operator give them.
#include <gtest/gtest.h>

#include "io/EEG.h"
#include "mara/Mara.h"
#include "mara/caracteristicasEspaciales.h"
#include "mara/etiquetasMara.h"
#include "mara/modelo/parametrosSimulacion.h"
#include "mara/operadorDensidadCorriente.h"
#include "modelo_ayuda.h"

using namespace prueba_modelo;

TEST(ModeloGenerado, FormasYEtiquetasDeLosCuatroArchivos) {
    const ModeloMara& m = modeloGenerado();
    EXPECT_EQ(arma::size(m.leadfield), arma::size(118, 2700, 3));
    const arma::uword n = m.etiquetasEntrenamiento.n_cols;
    EXPECT_EQ(arma::size(m.patronesEntrenamiento), arma::size(104, n));
    EXPECT_EQ(arma::size(m.caracteristicasEntrenamiento), arma::size(6, n));
    EXPECT_TRUE(m.caracteristicasEntrenamiento.is_finite() && m.patronesEntrenamiento.is_finite());
    const arma::rowvec e = m.etiquetasEntrenamiento.row(0);
    EXPECT_GE(arma::accu(e == 1.0), 300u);
    EXPECT_GE(arma::accu(e == 2.0), 300u);
    EXPECT_EQ(arma::accu(e == 1.0) + arma::accu(e == 2.0), e.n_elem);
    // Mara reads them from the folder.
    EEG eeg(256, 3, 256 * 17);
    (*eeg.canales)[0].etiqueta = "Cz";
    (*eeg.canales)[1].etiqueta = "Fp1";
    (*eeg.canales)[2].etiqueta = "O1";
    const Mara mara(eeg, directorioModelos());
    EXPECT_TRUE(arma::approx_equal(mara.modelo().leadfield, m.leadfield, "absdiff", 0.0));
    EXPECT_NO_THROW(mara.comprobarEntrada());
}

TEST(ModeloGenerado, PatronesYFilasEspacialesSegunElModeloDeCabeza) {
    // The first training component is the first brain component of the shipped
    // seed; its 118-electrode map, read at the lead-field rows of etiquetasMara(),
    // is the first column of marapattern.bin.
    const ModeloMara& m = modeloGenerado();
    ASSERT_EQ(m.etiquetasEntrenamiento(0, 0), 2.0);
    const arma::uvec filas = filasLeadfield(etiquetasMara());
    const ComponentesSimuladas c = simularComponentes(cabeza(), ClaseSimulada::cerebro, 1,
                                                      parametrosSimulacion::semillaEntrenamiento + 1000003u);
    EXPECT_TRUE(arma::approx_equal(arma::vec(c.mapas.col(0)).elem(filas), arma::vec(m.patronesEntrenamiento.col(0)),
                                   "reldiff", 1e-12));
    const arma::mat F = caracteristicasEspaciales(m.patronesEntrenamiento, operadorDensidadCorriente(m.leadfield, filas));
    EXPECT_TRUE(arma::approx_equal(F, m.caracteristicasEntrenamiento.rows(0, 1), "absdiff", 1e-8));
}

TEST(ModeloGenerado, CabezaConUnCampoDeOtraFormaSeRechaza) {
    const TablaElectrodos t = leerTablaElectrodos(ONDELAR_RAIZ "/mara/modelo/electrodos_1005_118.tsv");
    EXPECT_THROW(construirCabeza(t, arma::cube(118, 10, 3, arma::fill::zeros)), std::invalid_argument);
}
