// A decomposition as data: its file, removing components against numpy's
// mixing-matrix arithmetic, and the ICA reduced to the data's rank.
#include <gtest/gtest.h>

#include <sstream>

#include "averaging/car.h"
#include "io/archivoICA.h"
#include "io/cargarRegistro.h"
#include "mara/activacionesICA.h"
#include "mara/descomponerICA.h"
#include "mara/icaExtendida.h"
#include "mara/quitarComponentes.h"
#include "tests/io/capturas.h"

namespace {

const std::string kDatos = ONDELAR_RAIZ "/tests/data/ica/";

arma::mat texto(const std::string& nombre) {
    arma::mat m;
    EXPECT_TRUE(m.load(kDatos + nombre, arma::raw_ascii)) << nombre;
    return m;
}

// The channels the reference decompositions were made over.
EEG registroPrueba(const DescomposicionICA& d) {
    const arma::mat X = texto("quitar_datos.txt");
    EEG eeg(250, static_cast<uint32_t>(X.n_rows), static_cast<int64_t>(X.n_cols));
    for (arma::uword i = 0; i < X.n_rows; ++i) (*eeg.canales)[i].etiqueta = (*d.canales)[i].etiqueta;
    eeg.matrices[0] = X;
    return eeg;
}

double diferenciaRelativa(const arma::mat& a, const arma::mat& b) {
    return arma::abs(a - b).max() / arma::abs(b).max();
}

}  // namespace

TEST(DescomposicionICA, QuitarComponentesIgualQueLaAritmeticaDeNumpy) {
    for (const std::string caso : {"completo", "reducido"}) {
        SCOPED_TRACE(caso);
        const DescomposicionICA d = leerDescomposicion(kDatos + "quitar_" + caso + ".ica");
        const EEG eeg = registroPrueba(d);
        const EEG act = activacionesICA(eeg, d);
        ASSERT_EQ(act.datos().n_rows, d.componentes());
        const EEG limpio = quitarComponentes(act, {4, 2, 4});
        EXPECT_LT(diferenciaRelativa(limpio.datos(), texto("quitar_" + caso + "_esperado.txt")), 1e-9);
        // Back in channels: labels and positions are the decomposition's again.
        ASSERT_EQ(limpio.numeroCanales, 6u);
        EXPECT_EQ((*limpio.canales)[4].etiqueta, "O1");
        EXPECT_TRUE((*limpio.canales)[0].localizacion && !(*limpio.canales)[1].localizacion);
        EXPECT_EQ(limpio.descomposicion, nullptr);
        // Keeping every component gives the channels back (the reduced case
        // only because these data lie outside its subspace: not asked).
        if (std::string(caso) == "completo")
            EXPECT_LT(diferenciaRelativa(quitarComponentes(act, {}).datos(), eeg.datos()), 1e-9);
        EXPECT_THROW(quitarComponentes(act, {static_cast<arma::uword>(d.componentes() + 1)}), std::invalid_argument);
        std::vector<arma::uword> todas;
        for (arma::uword q = 1; q <= d.componentes(); ++q) todas.push_back(q);
        EXPECT_THROW(quitarComponentes(act, todas), std::invalid_argument);
        EXPECT_THROW(quitarComponentes(eeg, {1}), std::invalid_argument);  // not a branch of components
    }
    EXPECT_EQ(textoComponentes({12, 3, 7, 3}), "3,7,12");
}

TEST(DescomposicionICA, ElArchivoDevuelveLaMismaDescomposicionYRechazaLoDanado) {
    DescomposicionICA d = leerDescomposicion(kDatos + "quitar_completo.ica");
    d.pesos(0, 0) = 0.1 + 0.2;  // a value that needs all 17 digits
    d.origen = "eeg 1 BANDPASS\nCAR";
    std::stringstream s;
    escribirDescomposicion(s, d);
    const DescomposicionICA r = leerDescomposicion(s);
    EXPECT_TRUE(arma::all(arma::vectorise(r.pesos == d.pesos)));
    EXPECT_TRUE(arma::all(arma::vectorise(r.esfera == d.esfera)));
    EXPECT_EQ(r.origen, "eeg 1 BANDPASS CAR");  // one line in the file
    ASSERT_EQ(r.canales->size(), 6u);
    EXPECT_EQ((*r.canales)[2].etiqueta, "C3");
    EXPECT_EQ(*(*r.canales)[2].localizacion, (*d.canales)[2].localizacion.value());

    // A branch over other channels is refused by name.
    EEG otro = registroPrueba(d);
    (*otro.canales)[3].etiqueta = "Cz";
    EXPECT_THROW(activacionesICA(otro, d), std::invalid_argument);

    const std::string bueno = s.str();
    const auto falla = [](const std::string& t, const std::string& contiene) {
        std::istringstream e(t);
        EXPECT_TRUE(prueba::contiene(prueba::rechazo<std::runtime_error>([&] { leerDescomposicion(e); }), contiene))
            << t.substr(0, 40);
    };
    falla("", "línea 1");
    falla("GDF 2.10\n", "no es un archivo de descomposición");
    falla(bueno.substr(0, bueno.size() / 2), "no válida, línea");
    falla(bueno.substr(0, bueno.find("esfera")), "termina antes de tiempo");
    falla("ondelar-ica 1\norigen\t\ncanales\t99999999\n", "canales");
    std::string nan = bueno;
    const size_t fila = nan.find("pesos\n") + 6;
    nan.replace(fila, nan.find('\t', fila) - fila, "nan");
    falla(nan, "línea 12: «nan» no es un número");
    EXPECT_THROW(leerDescomposicion(std::filesystem::path("/no/existe.ica")), std::runtime_error);
}

TEST(IcaAlRango, RangoCompletoComoSiempreYTrasCARUnaComponenteMenos) {
    const std::string datos = ONDELAR_RAIZ "/../shared/data/";
    EEG eeg = cargarRegistro(datos + "p300_8ch.gdf", datos + "p300_8ch.ced");
    eeg.matrices[0] = arma::mat(eeg.datos().cols(0, 2999));
    eeg.numeroMuestras = 3000;
    const arma::mat X = eeg.datos().each_col() - arma::mean(eeg.datos(), 1);

    // Full rank: the ICA's own numbers, bit for bit.
    arma::mat W, S, P, E;
    icaExtendida(X, W, S, 0.001, 8, 5u);
    icaAlRango(X, P, E, 0.001, 5u);
    EXPECT_TRUE(arma::all(arma::vectorise(W == P)) && arma::all(arma::vectorise(S == E)));

    // After the average reference the channels sum to zero: 7 components,
    // whose mixing gives the referenced channels back.
    const EEG car = aplicarCAR(eeg);
    const DescomposicionICA d = descomponerICA(car, 5u);
    ASSERT_EQ(d.componentes(), 7u);
    EXPECT_LT(arma::abs(d.separacion() * d.mezcla() - arma::eye(7, 7)).max(), 1e-9);
    const EEG act = activacionesICA(car, 5u);
    EXPECT_EQ(act.numeroCanales, 7u);
    EXPECT_LT(diferenciaRelativa(quitarComponentes(act, {}).datos(), car.datos()), 1e-9);
    // The activations are independent enough to be uncorrelated.
    const arma::mat r = arma::cor(act.datos().t());
    EXPECT_LT(arma::abs(r - arma::eye(7, 7)).max(), 0.05);
}
