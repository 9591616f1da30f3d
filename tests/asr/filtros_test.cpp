// The recursive filter with state, against Octave's filter(B, A, X, zi, 2),
// and the spectral-shaping design by the modified Yule-Walker method.
#include <array>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "asr/filtroIIR.h"
#include "asr/yulewalk.h"
#include "referencias.h"

TEST(FiltroIIR, IgualQueOctaveConEstadoInicialYFinal) {
    // The 256 Hz shaping filter with and without initial state; then A(0) = 2,
    // which normalises both vectors, with B longer than A (A padded with zeros).
    for (const auto& [b, a, zi, y, zf] : {std::array<std::string, 5>{"B", "A", "zi", "Y", "zf"},
                                         std::array<std::string, 5>{"B", "A", "", "Y0", "zf0"},
                                         std::array<std::string, 5>{"B2", "A2", "zi2", "Y2", "zf2"}}) {
        const arma::vec B = cargarReferencia("iir_" + b + ".bin"), A = cargarReferencia("iir_" + a + ".bin");
        arma::mat final;
        const arma::mat Y = filtrarIIR(B, A, cargarReferencia("iir_X.bin"),
                                       zi.empty() ? arma::mat() : cargarReferencia("iir_" + zi + ".bin"), final);
        EXPECT_LT(errorRelativo(Y, cargarReferencia("iir_" + y + ".bin")), 1e-12) << y;
        EXPECT_LT(errorRelativo(final, cargarReferencia("iir_" + zf + ".bin")), 1e-12) << zf;
    }
}

TEST(FiltroIIR, TrozosEncadenadosIgualQueEnteroYRechazos) {
    const arma::vec B = cargarReferencia("iir_B.bin"), A = cargarReferencia("iir_A.bin");
    const arma::mat X = cargarReferencia("iir_X.bin");
    arma::mat zfEntero, estado;
    const arma::mat entero = filtrarIIR(B, A, X, arma::mat(), zfEntero);
    const arma::mat y1 = filtrarIIR(B, A, X.cols(0, 199), arma::mat(), estado);
    // The state may be passed as both zi and zf, as processing does chunk after chunk.
    const arma::mat y2 = filtrarIIR(B, A, X.cols(200, X.n_cols - 1), estado, estado);
    EXPECT_LT(errorRelativo(arma::join_rows(y1, y2), entero), 1e-13);
    EXPECT_LT(errorRelativo(estado, zfEntero), 1e-13);
    // No samples: the state passes through.
    const arma::mat zi = {{3.0, 4.0}};
    arma::mat zf1;
    EXPECT_EQ(filtrarIIR({1.0, 0.5}, {1.0, -0.25}, arma::mat(2, 0), zi, zf1).n_cols, 0u);
    EXPECT_TRUE(arma::approx_equal(zf1, zi, "absdiff", 0.0));
    const arma::mat unos(2, 5, arma::fill::ones);
    EXPECT_THROW(filtrarIIR({1.0}, {0.0, 1.0}, unos, arma::mat(), zf1), std::invalid_argument);
    EXPECT_THROW(filtrarIIR({1.0, 1.0}, {1.0, 0.5}, unos, arma::mat(1, 3), zf1), std::invalid_argument);
    EXPECT_THROW(filtrarIIR(arma::vec(), {1.0}, unos, arma::mat(), zf1), std::invalid_argument);
}

TEST(Yulewalk, FiltroDeConformacionIgualQueLasReferencias) {
    struct Caso {
        int32_t srate;
        arma::vec B, A;
    };
    for (const Caso& c : std::vector<Caso>{
             {100,
              {0.9314233528641513, -1.002368381496328, -0.4125359862018458, 0.7631567476327434, 0.4160430392910525,
               -0.6549131038692135, -0.0372583518046972, 0.1916268458752698, 0.0462411971592406},
              {1, -0.4544220180303542, -1.0007038682936955, 0.5374925521337641, 0.490501336099157,
               -0.4861062879351023, -0.1995986490699575, 0.1830048420730014, 0.0457678549234708}},
             {256,
              {1.758701314177015, -4.326762439445862, 5.799988003101652, -6.239662546354836, 5.376807904688311,
               -3.7938218893375635, 2.1649108095226857, -0.8591392569863896, 0.2569361125628091},
              {1, -1.700803963930181, 1.9232830391058915, -2.0826929726929992, 1.598263874255749,
               -1.073585418393015, 0.567971922565272, -0.1886181499768232, 0.0572954115997266}},
             {500,
              {2.313352008697157, -11.947122300919643, 29.106716649359836, -43.75501710077299, 44.33857674528835,
               -30.996552384697797, 14.620988302108401, -4.274341240043996, 0.5982553583801735},
              {1, -4.689332908447277, 10.598998670115707, -14.96915181015038, 14.33203583998816,
               -9.492431706927242, 4.242589961902694, -1.1715600975189095, 0.1538048427718554}},
         }) {
        arma::vec B, A;
        filtroConformacion(c.srate, B, A);
        EXPECT_LT(arma::abs(B - c.B).max(), 1e-9) << c.srate;  // a wrong size throws
        EXPECT_LT(arma::abs(A - c.A).max(), 1e-9) << c.srate;
    }
}

TEST(Yulewalk, BordesYRechazos) {
    arma::vec B, A;
    // At 82 Hz the breakpoints at 40 Hz coincide: a step, and the design stays stable.
    ASSERT_NO_THROW(filtroConformacion(82, B, A));
    arma::mat companera(8, 8, arma::fill::zeros);
    companera.row(0) = -A.tail(8).t();
    companera.diag(-1).ones();
    EXPECT_LT(arma::abs(arma::eig_gen(companera)).max(), 1.0);
    EXPECT_NE(prueba::capturar([&] { filtroConformacion(81, B, A); }).excepcion.find("82 Hz"), std::string::npos);
    EXPECT_THROW(filtroConformacion(0, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(0, {0, 1}, {1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0, 0.5, 1}, {1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0, 0.6, 0.5, 1}, {1, 1, 1, 1}, B, A), std::invalid_argument);
    EXPECT_THROW(yulewalk(2, {0.1, 1}, {1, 1}, B, A), std::invalid_argument);
}
