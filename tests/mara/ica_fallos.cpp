// Failures of the extended infomax ICA: each writes its line to standard
// output and throws std::runtime_error with its text, leaving the outputs alone.

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "mara/icaExtendida.h"
#include "mara/icaExtendidaDetalle.h"
#include "tests/mara/ica_ayuda.h"

namespace {

struct Fallo {
    std::string salida;  // what went to standard output
    std::string texto;   // what the exception carried
};

// Runs the ICA expecting a std::runtime_error; the outputs must stay as given.
Fallo fallaCon(const arma::mat& datos, double eta, int Q) {
    arma::mat pesos(1, 1, arma::fill::value(7.0)), esfera(1, 1, arma::fill::value(9.0));
    Fallo fallo;
    testing::internal::CaptureStdout();
    try {
        icaExtendida(datos, pesos, esfera, eta, Q, 1u);
        ADD_FAILURE() << "no lanzó";
    } catch (const std::runtime_error& e) {
        fallo.texto = e.what();
    }
    fallo.salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(pesos.n_elem, 1u);
    EXPECT_EQ(pesos(0), 7.0);
    EXPECT_EQ(esfera.n_elem, 1u);
    EXPECT_EQ(esfera(0), 9.0);
    return fallo;
}

// Three channels of which the third is the sum of the other two.
arma::mat datosDeRangoDos() {
    arma::mat X = icaPrueba::fuentesConocidas(3, 2000, 17);
    X.row(2) = X.row(0) + X.row(1);
    return X;
}

}  // namespace

TEST(IcaExtendidaFallos, MasCanalesQueMuestras) {
    const Fallo f = fallaCon(arma::ones(4, 3), 0.001, 4);
    EXPECT_EQ(f.salida, "Error en ICA, hay mas canales que muestras\n");
    EXPECT_EQ(f.texto, "Error en mara, hay mas canales (4) que muestras (3)");
}

TEST(IcaExtendidaFallos, BloqueDemasiadoPequeno) {
    // T = 3: B = ceil(min(5 ln 3, 0.9)) = 1.
    const Fallo f = fallaCon(arma::mat{{1, 2, 4}, {3, 1, 2}}, 0.001, 2);
    EXPECT_EQ(f.salida, "Error en ICA, el tamaño de bloque 1 es demasiado pequeño\n");
    EXPECT_EQ(f.texto,
              "Error en mara, numero bajo de bloques (1). para aumentar el numero de bloques se deberia "
              "aumentar el numero de muestras, el calculo de numero de bloques se calcula quedandose con "
              "la parte entera del resultado de la formula siguiente:  min(5*log(numeroMuestras), "
              "0.3*numeroMuestras)");
}

TEST(IcaExtendidaFallos, SinComponentes) {
    const Fallo f = fallaCon(icaPrueba::fuentesConocidas(2, 100, 1), 0.001, 0);
    EXPECT_EQ(f.salida, "Error ICA, there can be at most 0 sub-Gaussian components!\n");
    EXPECT_EQ(f.texto, "Error en ICA, se quiere calcular con 0 componentes, pero el minimo es 1.000000");
    EXPECT_EQ(fallaCon(icaPrueba::fuentesConocidas(2, 100, 1), 0.001, -3).texto,
              "Error en ICA, se quiere calcular con -3 componentes, pero el minimo es 1.000000");
}

TEST(IcaExtendidaFallos, LasComprobacionesVanEnOrden) {
    // T < C before the block size; the block size before Q.
    EXPECT_EQ(fallaCon(arma::ones(4, 3), 0.001, 0).texto,
              "Error en mara, hay mas canales (4) que muestras (3)");
    EXPECT_EQ(fallaCon(arma::ones(2, 3), 0.001, 0).texto.rfind("Error en mara, numero bajo de bloques (1)", 0),
              0u);
}

TEST(IcaExtendidaFallos, DatosVacios) {
    EXPECT_EQ(fallaCon(arma::mat(3, 0), 0.001, 3).texto,
              "Error en mara, hay mas canales (3) que muestras (0)");
    EXPECT_EQ(fallaCon(arma::mat(0, 0), 0.001, 1).texto.rfind("Error en mara, numero bajo de bloques (0)", 0),
              0u);
    // No channels but samples: one component asked for none available.
    EXPECT_NE(fallaCon(arma::mat(0, 50), 0.001, 1).texto.find("0 canales"), std::string::npos);
}

TEST(IcaExtendidaFallos, ComponentesDistintasDeCanales) {
    const arma::mat X = icaPrueba::fuentesConocidas(3, 200, 4);
    const Fallo f = fallaCon(X, 0.001, 2);
    EXPECT_EQ(f.salida, "Error en ICA, el número de componentes debe ser igual al número de canales\n");
    EXPECT_EQ(f.texto,
              "Error en ICA, se quiere calcular con 2 componentes, pero los datos tienen 3 canales; el "
              "número de componentes debe ser igual al número de canales");
    EXPECT_NE(fallaCon(X, 0.001, 4).texto.find("con 4 componentes"), std::string::npos);
}

TEST(IcaExtendidaFallos, ValoresNoFinitosSeRechazanAntesDeEntrenar) {
    arma::mat X = icaPrueba::fuentesConocidas(3, 200, 5);
    X(1, 41) = std::numeric_limits<double>::quiet_NaN();
    Fallo f = fallaCon(X, 0.001, 3);
    EXPECT_EQ(f.salida, "Error en ICA, los datos contienen valores no finitos\n");
    EXPECT_EQ(f.texto,
              "Error en ICA, los datos contienen un valor no finito (NaN o infinito) en el canal 2, muestra 42");
    X(1, 41) = 0.0;
    X(0, 7) = -std::numeric_limits<double>::infinity();
    EXPECT_NE(fallaCon(X, 0.001, 3).texto.find("canal 1, muestra 8"), std::string::npos);
}

TEST(IcaExtendidaFallos, DatosDeRangoInsuficienteSeRechazanAntesDeEsferizar) {
    // Without this check the singular covariance either fails inside the
    // inverse or is inverted into a component made of rounding noise.
    const Fallo f = fallaCon(datosDeRangoDos(), 0.001, 3);
    EXPECT_EQ(f.salida, "no se pueden calcular tantas componentes, los datos no tienen tantas\n");
    EXPECT_EQ(f.texto, "Error ICA, no se pueden calcular 3 componentes, los datos recibidos solo tienen 2 componentes");
    // A constant channel has rank 0 once its mean is removed.
    arma::mat X = icaPrueba::fuentesConocidas(2, 300, 3);
    X.row(1).fill(5.0);
    EXPECT_NE(fallaCon(X, 0.001, 2).texto.find("solo tienen 1 componentes"), std::string::npos);
}

namespace {

Fallo fallaAlReiniciar(double eta, arma::uword rango, int Q) {
    Fallo fallo;
    testing::internal::CaptureStdout();
    try {
        icaDetalle::comprobarReinicio(eta, rango, Q);
        fallo.texto = "(no lanzó)";
    } catch (const std::runtime_error& e) {
        fallo.texto = e.what();
    }
    fallo.salida = testing::internal::GetCapturedStdout();
    return fallo;
}

const char* const textoRatio =
    "Error ICA, el ratio de aprendizaje se ha ido bajando para mejorar el calculo de ICA, y ha "
    "bajado el minimo establecido. Se considera que la matriz de pesos no es invertible.";

}  // namespace

TEST(IcaExtendidaFallos, RangoInsuficienteAlReiniciar) {
    const Fallo f = fallaAlReiniciar(0.0009, 2, 3);
    EXPECT_EQ(f.salida, "no se pueden calcular tantas componentes, los datos no tienen tantas\n");
    EXPECT_EQ(f.texto, "Error ICA, no se pueden calcular 3 componentes, los datos recibidos solo tienen 2 componentes");
}

TEST(IcaExtendidaFallos, RatioDeAprendizajeAgotadoAlReiniciar) {
    // 1.05e-6 lowered by 0.9 at a restart is 9.45e-7 <= 1e-6; the rate is
    // checked before the rank, and 1e-6 itself already fails.
    for (double eta : {1.05e-6 * 0.9, 1e-6}) {
        const Fallo f = fallaAlReiniciar(eta, 2, 3);
        EXPECT_EQ(f.salida, "fallo con la matriz de pesos, no es invertible\n");
        EXPECT_EQ(f.texto, textoRatio);
    }
}

TEST(IcaExtendidaFallos, ReinicioConRatioYRangoSuficientesSigue) {
    const Fallo f = fallaAlReiniciar(1.01e-6, 3, 3);
    EXPECT_EQ(f.texto, "(no lanzó)");
    EXPECT_EQ(f.salida, "");
}
