#include "asr/yulewalk.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// Reference designs of the modified Yule-Walker method for the ASR shaping filter.
void comprobar(int32_t srate, const arma::vec& Besperado, const arma::vec& Aesperado) {
    arma::vec B, A;
    filtroConformacion(srate, B, A);
    ASSERT_EQ(B.n_elem, 9u);
    ASSERT_EQ(A.n_elem, 9u);
    EXPECT_LT(arma::abs(B - Besperado).max(), 1e-9) << srate << "\n" << B.t();
    EXPECT_LT(arma::abs(A - Aesperado).max(), 1e-9) << srate << "\n" << A.t();
}

}  // namespace

TEST(Yulewalk, Referencia100Hz) {
    comprobar(100,
              {0.9314233528641513, -1.002368381496328, -0.4125359862018458, 0.7631567476327434, 0.4160430392910525,
               -0.6549131038692135, -0.0372583518046972, 0.1916268458752698, 0.0462411971592406},
              {1, -0.4544220180303542, -1.0007038682936955, 0.5374925521337641, 0.490501336099157,
               -0.4861062879351023, -0.1995986490699575, 0.1830048420730014, 0.0457678549234708});
}

TEST(Yulewalk, Referencia256Hz) {
    comprobar(256,
              {1.758701314177015, -4.326762439445862, 5.799988003101652, -6.239662546354836, 5.376807904688311,
               -3.7938218893375635, 2.1649108095226857, -0.8591392569863896, 0.2569361125628091},
              {1, -1.700803963930181, 1.9232830391058915, -2.0826929726929992, 1.598263874255749,
               -1.073585418393015, 0.567971922565272, -0.1886181499768232, 0.0572954115997266});
}

TEST(Yulewalk, Referencia500Hz) {
    comprobar(500,
              {2.313352008697157, -11.947122300919643, 29.106716649359836, -43.75501710077299, 44.33857674528835,
               -30.996552384697797, 14.620988302108401, -4.274341240043996, 0.5982553583801735},
              {1, -4.689332908447277, 10.598998670115707, -14.96915181015038, 14.33203583998816,
               -9.492431706927242, 4.242589961902694, -1.1715600975189095, 0.1538048427718554});
}

TEST(Yulewalk, RechazaFrecuenciasMenoresDe82Hz) {
    arma::vec B, A;
    EXPECT_THROW(filtroConformacion(81, B, A), std::invalid_argument);
    EXPECT_THROW(filtroConformacion(0, B, A), std::invalid_argument);
    try {
        filtroConformacion(60, B, A);
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("82 Hz"), std::string::npos);
    }
}

// At 82 Hz the breakpoints at 40 Hz coincide: a step, and the design stays stable.
TEST(Yulewalk, BreakpointRepetidoA82Hz) {
    arma::vec B, A;
    ASSERT_NO_THROW(filtroConformacion(82, B, A));
    ASSERT_EQ(A.n_elem, 9u);
    EXPECT_TRUE(B.is_finite());
    arma::mat companera(8, 8, arma::fill::zeros);
    companera.row(0) = -A.tail(8).t();
    for (arma::uword i = 1; i < 8; ++i) companera(i, i - 1) = 1.0;
    EXPECT_LT(arma::abs(arma::eig_gen(companera)).max(), 1.0);
}

TEST(Yulewalk, RechazaEntradasMalFormadas) {
    arma::vec B, A;
    EXPECT_THROW(yulewalk(0, {0, 1}, {1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0, 0.5, 1}, {1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0, 0.6, 0.5, 1}, {1, 1, 1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0.1, 1}, {1, 1}, B, A), std::invalid_argument);
}

// A flat magnitude is met by a trivial filter: B/A has unit gain everywhere.
TEST(Yulewalk, MagnitudPlana) {
    arma::vec B, A;
    yulewalk(4, {0, 1}, {1, 1}, B, A);
    arma::cx_vec Bp(64, arma::fill::zeros), Ap(64, arma::fill::zeros);
    Bp.head(5) = arma::conv_to<arma::cx_vec>::from(B);
    Ap.head(5) = arma::conv_to<arma::cx_vec>::from(A);
    EXPECT_LT(arma::abs(arma::abs(arma::fft(Bp) / arma::fft(Ap)) - 1.0).max(), 1e-6);
}
