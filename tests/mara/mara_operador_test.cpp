#include <gtest/gtest.h>

#include <cmath>

#include "mara/caracteristicasEspaciales.h"
#include "mara/operadorDensidadCorriente.h"

namespace {

// 8 electrodes on a unit circle, 12 dipoles inside at radius 0.5, potentials
// of a dipole in an infinite medium, scaled so the operator's eigenvalues
// dwarf the regularisation of 100.
arma::cube campoSintetico() {
    const arma::uword nE = 8, nS = 12;
    arma::cube L(nE, nS, 3);
    for (arma::uword e = 0; e < nE; ++e) {
        const double ae = 2.0 * M_PI * e / nE;
        const arma::vec re = {std::cos(ae), std::sin(ae), 0.2 * (e % 2)};
        for (arma::uword s = 0; s < nS; ++s) {
            const double as = 2.0 * M_PI * (s + 0.37) / nS;
            const arma::vec rs = {0.5 * std::cos(as), 0.5 * std::sin(as), 0.1 * (s % 3)};
            const arma::vec d = re - rs;
            for (arma::uword o = 0; o < 3; ++o) L(e, s, o) = 100.0 * d(o) / std::pow(arma::norm(d), 3);
        }
    }
    return L;
}

}  // namespace

TEST(OperadorDensidadCorriente, AutovaloresNulosNoSeInvierten) {
    const arma::vec g = gananciasRegularizadas({-1e-13, 5.0, 1e-11, 2e-10});
    EXPECT_EQ(g(0), 0.0);
    EXPECT_DOUBLE_EQ(g(1), 1.0 / 105.0);
    EXPECT_EQ(g(2), 0.0);
    EXPECT_DOUBLE_EQ(g(3), 1.0 / (100.0 + 2e-10));
}

TEST(OperadorDensidadCorriente, FormaYReferenciaPromedio) {
    const arma::cube L = campoSintetico();
    const arma::uvec filas = {5, 0, 2, 3, 7, 6};
    const arma::mat M = operadorDensidadCorriente(L, filas);
    EXPECT_EQ(M.n_rows, 3u * 12u);
    EXPECT_EQ(M.n_cols, 6u);
    // A map equal on every electrode carries no current.
    EXPECT_LT(arma::norm(M * arma::ones(6)), 1e-10 * arma::norm(M));
}

TEST(OperadorDensidadCorriente, IgualQueLaInversaRegularizadaDirecta) {
    // With the null direction of the centring removed by H, the operator equals
    // X' (X X' + 100 I)^-1 H, X = H L K and K from the resolution diagonal.
    const arma::cube L = campoSintetico();
    const arma::uword nS = L.n_cols;
    const arma::uvec filas = {1, 2, 4, 5, 6};
    const arma::uword n = filas.n_elem;

    arma::mat Lf(L.n_rows, 3 * nS);
    for (arma::uword s = 0; s < nS; ++s)
        for (arma::uword o = 0; o < 3; ++o) Lf.col(3 * s + o) = L.slice(o).col(s);
    Lf.each_row() -= arma::mean(Lf, 0);
    const arma::mat T = Lf.t() * arma::pinv(Lf * Lf.t());
    arma::vec w(3 * nS);
    for (arma::uword s = 0; s < nS; ++s)
        for (arma::uword o = 0; o < 3; ++o)
            w(o * nS + s) = 1.0 / std::sqrt(arma::dot(T.row(3 * s + o), Lf.col(3 * s + o)));
    EXPECT_TRUE(arma::approx_equal(ponderacionFuentes(L), w, "reldiff", 1e-9));

    arma::mat Lm(n, 3 * nS);
    for (arma::uword i = 0; i < n; ++i)
        for (arma::uword o = 0; o < 3; ++o)
            for (arma::uword s = 0; s < nS; ++s) Lm(i, o * nS + s) = L(filas(i), s, o);
    const arma::mat H = arma::eye(n, n) - arma::ones(n, n) / double(n);
    const arma::mat X = H * Lm * arma::diagmat(w);
    const arma::mat G = X * X.t();
    // The centring leaves exactly one (numerically) null eigenvalue.
    const arma::vec lambda = arma::eig_sym(G);
    EXPECT_LT(std::abs(lambda(0)), 1e-9 * lambda.max());
    EXPECT_GT(lambda(1), 100.0);
    const arma::mat esperado = X.t() * arma::inv(G + 100.0 * arma::eye(n, n)) * H;
    EXPECT_TRUE(arma::approx_equal(operadorDensidadCorriente(L, filas), esperado, "absdiff",
                                   1e-8 * arma::abs(esperado).max()));
}

TEST(OperadorDensidadCorriente, MapaDeUnaFuenteDaMenosDensidadQueUnElectrodoSuelto) {
    const arma::cube L = campoSintetico();
    const arma::uvec filas = arma::regspace<arma::uvec>(0, 7);
    const arma::mat M = operadorDensidadCorriente(L, filas);
    arma::mat P(8, 2, arma::fill::zeros);
    P.col(0) = L.slice(1).col(4);  // source 4, orientation y
    P(3, 1) = 1.0;                 // a single electrode
    const arma::mat F = caracteristicasEspaciales(P, M);
    EXPECT_LT(F(0, 0), F(0, 1));
}

TEST(OperadorDensidadCorriente, EntradasMalFormadasSeRechazan) {
    const arma::cube L = campoSintetico();
    EXPECT_THROW(operadorDensidadCorriente(L, arma::uvec{3}), std::invalid_argument);
    EXPECT_THROW(operadorDensidadCorriente(L, arma::uvec{3, 8}), std::invalid_argument);
    EXPECT_THROW(operadorDensidadCorriente(arma::cube(8, 12, 2, arma::fill::randu), arma::uvec{0, 1}),
                 std::invalid_argument);
    EXPECT_THROW(operadorDensidadCorriente(arma::cube(), arma::uvec{0, 1}), std::invalid_argument);
}

TEST(OperadorDensidadCorriente, FilasDelCampoPorEtiqueta) {
    const arma::uvec f = filasLeadfield({"fp1", "CZ", "I2", "CPz"});
    EXPECT_EQ(f(0), 0u);
    EXPECT_EQ(f(1), 53u);
    EXPECT_EQ(f(2), 117u);
    EXPECT_EQ(f(3), 71u);
    EXPECT_THROW(filasLeadfield({"EOG"}), std::invalid_argument);
}

TEST(CaracteristicasEspaciales, NormaYRangoDeMapasNormalizados) {
    // Column (1, 2, 3): std 1, so it stays; ||M p|| with M = I is sqrt(14); range 2.
    // Column (0, 0, 4): std 4/sqrt(3); normalised (0, 0, sqrt(3)): norm sqrt(3), range sqrt(3).
    const arma::mat P = {{1, 0}, {2, 0}, {3, 4}};
    const arma::mat F = caracteristicasEspaciales(P, arma::eye(3, 3));
    EXPECT_NEAR(F(0, 0), std::log(std::sqrt(14.0)), 1e-12);
    EXPECT_NEAR(F(1, 0), std::log(2.0), 1e-12);
    EXPECT_NEAR(F(0, 1), std::log(std::sqrt(3.0)), 1e-12);
    EXPECT_NEAR(F(1, 1), std::log(std::sqrt(3.0)), 1e-12);
    EXPECT_THROW(caracteristicasEspaciales(P, arma::eye(3, 2)), std::invalid_argument);
    EXPECT_THROW(caracteristicasEspaciales(arma::mat(3, 0), arma::eye(3, 3)), std::invalid_argument);
}
