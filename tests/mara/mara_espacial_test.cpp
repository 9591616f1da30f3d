// Label tables, channel matching, the current-density operator and the
// spatial features.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "mara/caracteristicasEspaciales.h"
#include "mara/emparejamientoCanales.h"
#include "mara/etiquetasMara.h"
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
            const arma::vec d = re - arma::vec{0.5 * std::cos(as), 0.5 * std::sin(as), 0.1 * (s % 3)};
            for (arma::uword o = 0; o < 3; ++o) L(e, s, o) = 100.0 * d(o) / std::pow(arma::norm(d), 3);
        }
    }
    return L;
}

}  // namespace

TEST(EtiquetasMara, MaraEsLeadfieldSinCatorceElectrodosYEnOrdenDeBytes) {
    ASSERT_EQ(etiquetasLeadfield().size(), 118u);  // the rows of Fp1 and I2 are checked with filasLeadfield
    const std::vector<std::string> faltan = {"AFp1", "AFp2", "CCP5", "CFC5", "CFC6", "CFC7", "CPz",
                                             "FT9",  "FT10", "P1",   "PO3",  "PO4",  "TP9",  "TP10"};
    std::vector<std::string> esperada;
    for (const auto& e : etiquetasLeadfield())
        if (std::find(faltan.begin(), faltan.end(), e) == faltan.end()) esperada.push_back(e);
    std::sort(esperada.begin(), esperada.end());
    EXPECT_EQ(etiquetasMara(), esperada);  // 104 labels
}

TEST(EmparejamientoCanales, EtiquetasSinDistinguirMayusculasYEnOrdenDeTabla) {
    struct Caso {
        std::vector<std::string> canales;
        std::vector<arma::uword> emparejados;
        std::vector<std::string> etiquetas;
    };
    for (const Caso& c : std::vector<Caso>{
             {{"fp1", "Cz"}, {1, 0}, {"Cz", "Fp1"}},  // "CZ" sorts before "FP1"
             {{"FP1", "Cz"}, {1, 0}, {"Cz", "Fp1"}},
             {{"Fp1", "Cz"}, {1, 0}, {"Cz", "Fp1"}},
             {{"Fp1 ", "Cz"}, {1}, {"Cz"}},  // a trailing blank does not match
             {{"Cz", "C3", "C4", "EOG"}, {1, 2, 0}, {"C3", "C4", "Cz"}},
             {{"FT9", "CPz", "Oz"}, {2}, {"Oz"}},  // lead-field electrodes missing from the training patterns
             {{"oz", "Oz", "OZ"}, {0, 1, 2}, {"Oz", "Oz", "Oz"}},  // repeated labels keep the channel order
             {{"EOG", "", "EMG"}, {}, {}},
             {{}, {}, {}},
         }) {
        const EmparejamientoCanales r = emparejarCanales(c.canales);
        EXPECT_EQ(arma::conv_to<std::vector<arma::uword>>::from(r.canalesEmparejados), c.emparejados);
        ASSERT_EQ(r.indicesEtiqueta.n_elem, c.etiquetas.size());
        for (size_t i = 0; i < c.etiquetas.size(); ++i) EXPECT_EQ(etiquetasMara()[r.indicesEtiqueta(i)], c.etiquetas[i]);
    }
}

TEST(OperadorDensidadCorriente, ReferenciaPromedioFormaYMapas) {
    // Eigenvalues at zero are not inverted; the others get 1 / (100 + lambda).
    EXPECT_TRUE(arma::approx_equal(gananciasRegularizadas({-1e-13, 5.0, 1e-11, 2e-10}),
                                   arma::vec{0.0, 1.0 / 105.0, 0.0, 1.0 / (100.0 + 2e-10)}, "reldiff", 1e-15));
    const arma::cube L = campoSintetico();
    const arma::mat M6 = operadorDensidadCorriente(L, arma::uvec{5, 0, 2, 3, 7, 6});
    EXPECT_EQ(arma::size(M6), arma::size(3 * 12, 6));
    EXPECT_LT(arma::norm(M6 * arma::ones(6)), 1e-10 * arma::norm(M6));  // a flat map carries no current
    // A map made by one of the lead field's own sources is denser than a single electrode.
    const arma::mat M = operadorDensidadCorriente(L, arma::regspace<arma::uvec>(0, 7));
    arma::mat P(8, 2, arma::fill::zeros);
    P.col(0) = L.slice(1).col(4);  // source 4, orientation y
    P(3, 1) = 1.0;
    const arma::mat F = caracteristicasEspaciales(P, M);
    EXPECT_LT(F(0, 0), F(0, 1));
    for (const arma::uvec& filas : {arma::uvec{3}, arma::uvec{3, 8}})
        EXPECT_THROW(operadorDensidadCorriente(L, filas), std::invalid_argument);
    EXPECT_THROW(operadorDensidadCorriente(arma::cube(8, 12, 2, arma::fill::randu), {0, 1}), std::invalid_argument);
    EXPECT_THROW(operadorDensidadCorriente(arma::cube(), {0, 1}), std::invalid_argument);
}

TEST(CaracteristicasEspaciales, NormaYRangoDeMapasNormalizados) {
    // Column (1, 2, 3): std 1, so it stays; ||M p|| with M = I is sqrt(14); range 2.
    // Column (0, 0, 4): std 4/sqrt(3); normalised (0, 0, sqrt(3)): norm sqrt(3), range sqrt(3).
    const arma::mat P = {{1, 0}, {2, 0}, {3, 4}};
    const arma::mat F = caracteristicasEspaciales(P, arma::eye(3, 3));
    const arma::mat esperado = arma::log(arma::mat{{std::sqrt(14.0), std::sqrt(3.0)}, {2.0, std::sqrt(3.0)}});
    EXPECT_TRUE(arma::approx_equal(F, esperado, "absdiff", 1e-12));
    EXPECT_THROW(caracteristicasEspaciales(P, arma::eye(3, 2)), std::invalid_argument);
    EXPECT_THROW(caracteristicasEspaciales(arma::mat(3, 0), arma::eye(3, 3)), std::invalid_argument);
    // Lead-field rows by label, in any case.
    EXPECT_TRUE(arma::all(filasLeadfield({"fp1", "CZ", "I2", "CPz"}) == arma::uvec{0, 53, 117, 71}));
    EXPECT_THROW(filasLeadfield({"EOG"}), std::invalid_argument);
}
