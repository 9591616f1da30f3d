#include "asr/filtroIIR.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "referencias.h"

// Against Octave's filter(B, A, X, zi, 2) with the spectral-shaping filter of 256 Hz.
TEST(FiltroIIR, IgualQueOctaveConEstadoInicialYFinal) {
    const arma::vec B = cargarReferencia("iir_B.bin"), A = cargarReferencia("iir_A.bin");
    const arma::mat X = cargarReferencia("iir_X.bin"), zi = cargarReferencia("iir_zi.bin");
    arma::mat zf;
    const arma::mat Y = filtrarIIR(B, A, X, zi, zf);
    EXPECT_LT(errorRelativo(Y, cargarReferencia("iir_Y.bin")), 1e-12);
    EXPECT_LT(errorRelativo(zf, cargarReferencia("iir_zf.bin")), 1e-12);
}

TEST(FiltroIIR, EstadoVacioEsCero) {
    const arma::vec B = cargarReferencia("iir_B.bin"), A = cargarReferencia("iir_A.bin");
    const arma::mat X = cargarReferencia("iir_X.bin");
    arma::mat zf;
    const arma::mat Y = filtrarIIR(B, A, X, arma::mat(), zf);
    EXPECT_LT(errorRelativo(Y, cargarReferencia("iir_Y0.bin")), 1e-12);
    EXPECT_LT(errorRelativo(zf, cargarReferencia("iir_zf0.bin")), 1e-12);
}

// A(0) = 2 normalises both vectors; B longer than A pads A with zeros.
TEST(FiltroIIR, NormalizaPorAceroYRellenaConCeros) {
    const arma::vec B = cargarReferencia("iir_B2.bin"), A = cargarReferencia("iir_A2.bin");
    const arma::mat X = cargarReferencia("iir_X.bin"), zi = cargarReferencia("iir_zi2.bin");
    arma::mat zf;
    const arma::mat Y = filtrarIIR(B, A, X, zi, zf);
    EXPECT_LT(errorRelativo(Y, cargarReferencia("iir_Y2.bin")), 1e-12);
    EXPECT_LT(errorRelativo(zf, cargarReferencia("iir_zf2.bin")), 1e-12);
}

// Filtering in two pieces, the second starting from the first's final state,
// equals filtering the whole: what processing relies on between chunks.
TEST(FiltroIIR, TrozosEncadenadosIgualQueEntero) {
    const arma::vec B = cargarReferencia("iir_B.bin"), A = cargarReferencia("iir_A.bin");
    const arma::mat X = cargarReferencia("iir_X.bin");
    arma::mat zfEntero, zf1, zf2;
    const arma::mat entero = filtrarIIR(B, A, X, arma::mat(), zfEntero);
    const arma::mat y1 = filtrarIIR(B, A, X.cols(0, 199), arma::mat(), zf1);
    const arma::mat y2 = filtrarIIR(B, A, X.cols(200, X.n_cols - 1), zf1, zf2);
    EXPECT_LT(errorRelativo(arma::join_rows(y1, y2), entero), 1e-13);
    EXPECT_LT(errorRelativo(zf2, zfEntero), 1e-13);
}

TEST(FiltroIIR, SinMuestrasDevuelveElEstadoInicial) {
    const arma::vec B = {1.0, 0.5}, A = {1.0, -0.25};
    const arma::mat zi = {{3.0, 4.0}};
    arma::mat zf;
    const arma::mat Y = filtrarIIR(B, A, arma::mat(2, 0), zi, zf);
    EXPECT_EQ(Y.n_rows, 2u);
    EXPECT_EQ(Y.n_cols, 0u);
    EXPECT_TRUE(arma::approx_equal(zf, zi, "absdiff", 0.0));
}

TEST(FiltroIIR, RechazaAceroYEstadoMalFormado) {
    arma::mat zf;
    const arma::mat X(2, 5, arma::fill::ones);
    EXPECT_THROW(filtrarIIR({1.0}, {0.0, 1.0}, X, arma::mat(), zf), std::invalid_argument);
    EXPECT_THROW(filtrarIIR({1.0, 1.0}, {1.0, 0.5}, X, arma::mat(1, 3), zf), std::invalid_argument);
    EXPECT_THROW(filtrarIIR(arma::vec(), {1.0}, X, arma::mat(), zf), std::invalid_argument);
}

// The state may be passed as both zi and zf, as processing does chunk after chunk.
TEST(FiltroIIR, MismoEstadoDeEntradaYSalida) {
    const arma::vec B = cargarReferencia("iir_B.bin"), A = cargarReferencia("iir_A.bin");
    const arma::mat X = cargarReferencia("iir_X.bin");
    arma::mat estado = cargarReferencia("iir_zi.bin");
    const arma::mat Y = filtrarIIR(B, A, X, estado, estado);
    EXPECT_LT(errorRelativo(Y, cargarReferencia("iir_Y.bin")), 1e-12);
    EXPECT_LT(errorRelativo(estado, cargarReferencia("iir_zf.bin")), 1e-12);
}
