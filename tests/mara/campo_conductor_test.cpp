// The concentric-spheres head model behind the shipped lead field.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "mara/modelo/esferasConcentricas.h"
#include "mara/modelo/geometriaCabeza.h"

namespace {

struct Modelo {
    TablaElectrodos tabla = leerTablaElectrodos(ONDELAR_RAIZ "/mara/modelo/electrodos_1005_118.tsv");
    ModeloEsferas esferas = ajustarEsfera(tabla.posiciones);
    arma::mat fuentes = fuentesFibonacci(esferas);
};

const Modelo& modelo() {
    static const Modelo m;
    return m;
}

// Equal conductivities: the series must reduce to the closed form of a homogeneous sphere.
void comoEsferaHomogenea(const ModeloEsferas& m, const arma::vec3& electrodo, const arma::vec3& fuente, double tolerancia) {
    FactoresRadiales factores(m);
    const arma::vec3 v = potencialDipolo(m, factores, electrodo, fuente);
    for (arma::uword o = 0; o < 3; ++o) {
        arma::vec3 q(arma::fill::zeros);
        q(o) = 1.0;
        const double cerrada = potencialEsferaHomogenea(m.radioExterior, 0.33, electrodo - m.centro, fuente - m.centro, q);
        EXPECT_NEAR(v(o), cerrada, tolerancia * std::abs(cerrada) + 1e-8) << o;
    }
}

}  // namespace

TEST(CampoConductor, GeometriaDeLaCabeza) {
    const Modelo& m = modelo();
    ASSERT_EQ(m.tabla.etiquetas.size(), 118u);
    EXPECT_EQ(m.fuentes.n_cols, 2700u);  // z_k > -0.35 keeps 2700 of the 4000 points
    // Every source lies at 0.78 of the outer radius; a plausible adult head of 8 to 11 cm.
    const arma::rowvec r = arma::sqrt(arma::sum(arma::square(m.fuentes.each_col() - m.esferas.centro), 0));
    EXPECT_NEAR(r.min(), 0.78 * m.esferas.radioExterior, 1e-12);
    EXPECT_NEAR(r.max(), 0.78 * m.esferas.radioExterior, 1e-12);
    EXPECT_TRUE(m.esferas.radioExterior > 0.08 && m.esferas.radioExterior < 0.11);
    FactoresRadiales factores(m.esferas);
    const arma::vec3 fuera = m.esferas.centro + arma::vec3{0, 0, 0.95 * m.esferas.radioExterior};
    EXPECT_THROW(potencialDipolo(m.esferas, factores, m.tabla.posiciones.col(0), fuera), std::invalid_argument);
}

// Values of an independent three-term approximation of the same model; the
// exact series must agree within 3 % of the largest absolute value per row.
TEST(CampoConductor, ValoresDeReferencia) {
    const Modelo& m = modelo();
    const std::map<std::string, std::vector<std::array<double, 3>>> referencia = {
        {"Cz", {{-0.01413, 0.06264, 0.2893}, {-0.03886, -0.0004357, 0.07148}, {-0.0197, -0.00485, 0.04781}}},
        {"Fp1", {{-0.01255, 0.04051, -0.02219}, {-0.02739, 0.03643, -0.01261}, {-0.03769, 0.04151, -0.004498}}},
        {"O1", {{-0.01559, -0.04729, -0.01878}, {-0.02157, -0.03336, -0.004666}, {-0.0182, -0.0298, 0.001854}}},
        {"T7", {{-0.04001, 0.000648, -0.02266}, {-0.03059, -0.001386, -0.007737}, {-0.03132, -0.003603, -0.002971}}},
    };
    FactoresRadiales factores(m.esferas);
    const arma::mat sobreLaEsfera = proyectarElectrodos(m.esferas, m.tabla.posiciones);
    for (const auto& [etiqueta, filas] : referencia) {
        const auto it = std::find(m.tabla.etiquetas.begin(), m.tabla.etiquetas.end(), etiqueta);
        ASSERT_NE(it, m.tabla.etiquetas.end());
        const arma::vec3 electrodo = sobreLaEsfera.col(arma::uword(it - m.tabla.etiquetas.begin()));
        for (arma::uword k = 0; k < 3; ++k) {
            const arma::vec3 v = potencialDipolo(m.esferas, factores, electrodo, m.fuentes.col(1000 * k));
            const arma::vec3 esperado(filas[k].data());
            EXPECT_LE(arma::abs(v - esperado).max(), 0.03 * arma::abs(esperado).max()) << etiqueta << " fuente " << 1000 * k;
        }
    }
}

TEST(CampoConductor, ConductividadesIgualesDanLaEsferaHomogenea) {
    ModeloEsferas m;
    m.centro = {0.001, -0.017, 0.002};
    m.radioExterior = 0.095;
    m.conductividades = {0.33, 0.33, 0.33, 0.33};
    arma::arma_rng::set_seed(3);
    for (int prueba = 0; prueba < 20; ++prueba) {
        const arma::vec3 electrodo = m.centro + m.radioExterior * arma::normalise(arma::randn<arma::vec>(3));
        const double profundidad = 0.1 + 0.75 * arma::randu();  // up to 0.85 R, inside the first sphere
        comoEsferaHomogenea(m, electrodo, m.centro + profundidad * m.radioExterior * arma::normalise(arma::randn<arma::vec>(3)),
                            2e-7);
    }
    // A shallow source (0.895 R) needs high series degrees, which must stay well conditioned.
    m.centro.zeros();
    m.radioExterior = 0.09;
    comoEsferaHomogenea(m, arma::vec3{0.0, 0.0, 0.09}, arma::vec3{0.004, 0.0, 0.0895 * 0.9}, 1e-6);
}
