#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace

TEST(CampoConductor, GeometriaDeLaCabeza) {
    const Modelo& m = modelo();
    ASSERT_EQ(m.tabla.etiquetas.size(), 118u);
    EXPECT_EQ(m.tabla.etiquetas.front(), "Fp1");
    EXPECT_EQ(m.tabla.etiquetas.back(), "I2");
    EXPECT_EQ(m.fuentes.n_cols, 2700u);  // z_k > -0.35 keeps 2700 of the 4000 points
    // Every source lies at 0.78 of the outer radius, inside the brain sphere (0.90).
    const arma::rowvec r = arma::sqrt(arma::sum(arma::square(m.fuentes.each_col() - m.esferas.centro), 0));
    EXPECT_NEAR(r.min(), 0.78 * m.esferas.radioExterior, 1e-12);
    EXPECT_NEAR(r.max(), 0.78 * m.esferas.radioExterior, 1e-12);
    // A plausible adult head: radius between 8 and 11 cm.
    EXPECT_GT(m.esferas.radioExterior, 0.08);
    EXPECT_LT(m.esferas.radioExterior, 0.11);
}

TEST(CampoConductor, AjusteDeEsferaRecuperaUnaEsferaExacta) {
    arma::mat p(3, 50);
    arma::arma_rng::set_seed(7);
    for (arma::uword i = 0; i < p.n_cols; ++i) {
        arma::vec3 d = arma::randn<arma::vec>(3);
        p.col(i) = arma::vec3{0.01, -0.02, 0.03} + 0.09 * d / arma::norm(d);
    }
    const ModeloEsferas m = ajustarEsfera(p);
    EXPECT_NEAR(m.radioExterior, 0.09, 1e-12);
    EXPECT_NEAR(m.centro(1), -0.02, 1e-12);
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
        const arma::uword e = static_cast<arma::uword>(it - m.tabla.etiquetas.begin());
        const int fuentes[] = {0, 1000, 2000};
        for (int k = 0; k < 3; ++k) {
            const arma::vec3 v = potencialDipolo(m.esferas, factores, sobreLaEsfera.col(e), m.fuentes.col(fuentes[k]));
            const auto& esperado = filas[static_cast<size_t>(k)];
            const double escala = std::max({std::abs(esperado[0]), std::abs(esperado[1]), std::abs(esperado[2])});
            for (int o = 0; o < 3; ++o)
                EXPECT_NEAR(v(o), esperado[static_cast<size_t>(o)], 0.03 * escala)
                    << etiqueta << " fuente " << fuentes[k] << " orientacion " << o;
        }
    }
}

TEST(CampoConductor, ConductividadesIgualesDanLaEsferaHomogenea) {
    ModeloEsferas m;
    m.centro = {0.001, -0.017, 0.002};
    m.radioExterior = 0.095;
    m.conductividades = {0.33, 0.33, 0.33, 0.33};
    FactoresRadiales factores(m);
    arma::arma_rng::set_seed(3);
    for (int prueba = 0; prueba < 20; ++prueba) {
        arma::vec3 dir = arma::randn<arma::vec>(3);
        const arma::vec3 electrodo = m.centro + m.radioExterior * dir / arma::norm(dir);
        dir = arma::randn<arma::vec>(3);
        const double profundidad = 0.1 + 0.75 * arma::randu();  // up to 0.85 R, inside the first sphere
        const arma::vec3 fuente = m.centro + profundidad * m.radioExterior * dir / arma::norm(dir);
        const arma::vec3 v = potencialDipolo(m, factores, electrodo, fuente);
        for (int o = 0; o < 3; ++o) {
            arma::vec3 q(arma::fill::zeros);
            q(o) = 1.0;
            const double cerrada =
                potencialEsferaHomogenea(m.radioExterior, 0.33, electrodo - m.centro, fuente - m.centro, q);
            EXPECT_NEAR(v(o), cerrada, 1e-8 * std::max(1.0, std::abs(cerrada)) + 1e-7 * std::abs(cerrada));
        }
    }
}

TEST(CampoConductor, FuenteFueraDeLaEsferaInteriorSeRechaza) {
    const Modelo& m = modelo();
    FactoresRadiales factores(m.esferas);
    const arma::vec3 fuera = m.esferas.centro + arma::vec3{0, 0, 0.95 * m.esferas.radioExterior};
    EXPECT_THROW(potencialDipolo(m.esferas, factores, m.tabla.posiciones.col(0), fuera), std::invalid_argument);
}

// Sources close to the brain's surface need high series degrees; the radial
// factors must stay finite and decay smoothly there, and shallow sources must
// still reduce to the homogeneous sphere when the conductivities are equal.
TEST(CampoConductor, GradosAltosBienCondicionados) {
    const Modelo& m = modelo();
    FactoresRadiales factores(m.esferas);
    // The scaled factors fall geometrically (about r_0 per degree); the ratio
    // of consecutive factors must settle smoothly, with no jumps from a
    // singular solve.
    double cocienteAnterior = factores(21) / factores(20);
    for (int n = 21; n < 2000; ++n) {
        const double f = factores(n), siguiente = factores(n + 1);
        ASSERT_TRUE(std::isfinite(siguiente)) << n;
        ASSERT_GT(siguiente, 0.0) << n;
        const double cociente = siguiente / f;
        ASSERT_LT(std::abs(cociente / cocienteAnterior - 1.0), 0.01) << n;
        ASSERT_LT(cociente, 1.0) << n;
        cocienteAnterior = cociente;
    }
    ModeloEsferas igual;
    igual.radioExterior = 0.09;
    igual.conductividades = {0.33, 0.33, 0.33, 0.33};
    FactoresRadiales homogeneos(igual);
    const arma::vec3 electrodo{0.0, 0.0, 0.09};
    const arma::vec3 fuente{0.004, 0.0, 0.0895 * 0.9};  // 0.895 R, just inside the first sphere
    const arma::vec3 v = potencialDipolo(igual, homogeneos, electrodo, fuente);
    for (int o = 0; o < 3; ++o) {
        arma::vec3 q(arma::fill::zeros);
        q(o) = 1.0;
        const double cerrada = potencialEsferaHomogenea(0.09, 0.33, electrodo, fuente, q);
        EXPECT_NEAR(v(o), cerrada, 1e-6 * std::abs(cerrada) + 1e-9) << o;
    }
}
