// Progress and cancellation of the core steps: the fraction only grows and
// ends at 1, a reporter changes nothing in the result, and a cancellation at
// any report leaves no file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "averaging/car.h"
#include "averaging/promediado.h"
#include "eegSintetico.h"
#include "io/guardarRama.h"
#include "io/progreso.h"
#include "tests/io/archivosPrueba.h"

using namespace prueba;
namespace fs = std::filesystem;

namespace {

// Records every fraction; throws Cancelado at call number `cancelarEn` (0-based).
struct Registro {
    std::vector<double> fracciones;
    int cancelarEn = -1;
    Avance avance() {
        return Avance([this](double f, const std::string&) {
            if (static_cast<int>(fracciones.size()) == cancelarEn) throw Cancelado();
            fracciones.push_back(f);
        });
    }
};

void esCreciente(const std::vector<double>& f) {
    ASSERT_FALSE(f.empty());
    for (size_t i = 1; i < f.size(); ++i) EXPECT_LE(f[i - 1], f[i]) << "informe " << i;
    EXPECT_EQ(f.back(), 1.0);
}

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

TEST(AvanceCAR, ConInformeEsIdenticoYLaFraccionCreceHastaUno) {
    arma::arma_rng::set_seed(3);
    const arma::mat X = arma::randn<arma::mat>(8, 20000);
    Registro r;
    const arma::mat conInforme = referenciaPromedioComun(X, r.avance());
    EXPECT_TRUE(arma::approx_equal(conInforme, referenciaPromedioComun(X), "absdiff", 0.0));
    esCreciente(r.fracciones);
    EXPECT_GE(r.fracciones.size(), 5u);  // 20000 samples in blocks of 4096
}

TEST(AvanceCAR, CancelarDetieneElPaso) {
    const arma::mat X = arma::ones<arma::mat>(3, 10000);
    for (int k : {0, 1, 2}) {
        Registro r;
        r.cancelarEn = k;
        EXPECT_THROW(referenciaPromedioComun(X, r.avance()), Cancelado) << k;
    }
}

TEST(AvancePromediado, ConInformeEsIdenticoYLaFraccionCreceHastaUno) {
    const EEG eeg = conEventos();
    CarpetaTemporal a, b;
    Registro r;
    const ResultadoPromediado con = promediarEventos(eeg, parametros(), DestinoCubo{a.ruta(), {}}, r.avance());
    const ResultadoPromediado sin = promediarEventos(eeg, parametros(), DestinoCubo{b.ruta(), {}});
    EXPECT_TRUE(arma::approx_equal(con.promedio.datos(), sin.promedio.datos(), "absdiff", 0.0));
    esCreciente(r.fracciones);
    EXPECT_EQ(archivos(a), 1u);
}

// Every report is a cancellation point, the last one after the cube is written.
TEST(AvancePromediado, CancelarEnCualquierInformeNoDejaElCubo) {
    const EEG eeg = conEventos();
    Registro todo;
    {
        CarpetaTemporal t;
        promediarEventos(eeg, parametros(), DestinoCubo{t.ruta(), {}}, todo.avance());
    }
    ASSERT_GE(todo.fracciones.size(), 3u);
    for (int k = 0; k < static_cast<int>(todo.fracciones.size()); ++k) {
        CarpetaTemporal t;
        Registro r;
        r.cancelarEn = k;
        EXPECT_THROW(promediarEventos(eeg, parametros(), DestinoCubo{t.ruta(), {}}, r.avance()), Cancelado) << k;
        EXPECT_EQ(archivos(t), 0u) << "cancelado en el informe " << k;
    }
}

TEST(AvanceGuardarRama, CancelarNoDejaArchivoNiTemporal) {
    const EEG eeg = eegRampa(100, 3, 500);
    for (const char* nombre : {"r.gdf", "r.csv", "r.bin"})
        for (int k : {0, 1}) {
            CarpetaTemporal t;
            Registro r;
            r.cancelarEn = k;
            EXPECT_THROW(guardarRama(eeg, t.ruta() + "/" + nombre, r.avance()), Cancelado) << nombre << k;
            EXPECT_EQ(archivos(t), 0u) << nombre << k;
        }
}

TEST(AvanceGuardarRama, ConInformeEscribeLosMismosBytes) {
    const EEG eeg = eegRampa(100, 3, 500);
    CarpetaTemporal t;
    Registro r;
    guardarRama(eeg, t.ruta() + "/a.gdf", r.avance());
    guardarRama(eeg, t.ruta() + "/b.gdf");
    std::ifstream a(t.ruta() + "/a.gdf", std::ios::binary), b(t.ruta() + "/b.gdf", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
    esCreciente(r.fracciones);
}
