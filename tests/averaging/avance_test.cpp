// Progress and cancellation of CAR and averaging: the fraction only grows and
// ends at 1, a reporter changes nothing in the result, and a cancellation at
// any report leaves no file behind. Saving a branch: tests/io/avance_io_test.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"
#include "tests/comun/registroAvance.h"
#include "tests/io/archivosPrueba.h"

using namespace prueba;
namespace fs = std::filesystem;

namespace {

size_t archivos(const CarpetaTemporal& t) {
    return size_t(std::distance(fs::directory_iterator(t.ruta()), fs::directory_iterator()));
}

EEG conEventos() {
    EEG eeg = eegRampa(100, 4, 20000);
    anadirEventos(eeg, 1, {100, 500, 900, 3000, 7000, 12000, 19000});
    return eeg;
}

ParametrosPromediado parametros() { return ParametrosPromediado{{1.0}, {1.0}, 50, 200}; }

}  // namespace

TEST(AvanceCAR, ConInformeEsIdenticoCreceHastaUnoYSePuedeCancelar) {
    arma::arma_rng::set_seed(3);
    const arma::mat X = arma::randn<arma::mat>(8, 20000);
    RegistroAvance r;
    const arma::mat conInforme = referenciaPromedioComun(X, r.avance());
    EXPECT_TRUE(arma::approx_equal(conInforme, referenciaPromedioComun(X), "absdiff", 0.0));
    comprobarCreciente(r.fracciones);
    EXPECT_GE(r.fracciones.size(), 5u);  // 20000 samples in blocks of 4096
    for (size_t k : {0u, 1u, 2u}) {
        RegistroAvance c = RegistroAvance::enLlamada(k);
        EXPECT_THROW(referenciaPromedioComun(X, c.avance()), Cancelado) << k;
    }
}

// Every report is a cancellation point, the last one after the cube is written.
TEST(AvancePromediado, ConInformeEsIdenticoYCancelarEnCualquierInformeNoDejaElCubo) {
    const EEG eeg = conEventos();
    CarpetaTemporal a, b;
    RegistroAvance todo;
    const ResultadoPromediado con = promediarEventos(eeg, parametros(), DestinoCubo{a.ruta(), {}}, todo.avance());
    const ResultadoPromediado sin = promediarEventos(eeg, parametros(), DestinoCubo{b.ruta(), {}});
    EXPECT_TRUE(arma::approx_equal(con.promedio.datos(), sin.promedio.datos(), "absdiff", 0.0));
    comprobarCreciente(todo.fracciones);
    EXPECT_EQ(archivos(a), 1u);
    ASSERT_GE(todo.fracciones.size(), 3u);
    for (size_t k = 0; k < todo.fracciones.size(); ++k) {
        CarpetaTemporal t;
        RegistroAvance r = RegistroAvance::enLlamada(k);
        EXPECT_THROW(promediarEventos(eeg, parametros(), DestinoCubo{t.ruta(), {}}, r.avance()), Cancelado) << k;
        EXPECT_EQ(archivos(t), 0u) << "cancelado en el informe " << k;
    }
}
