// Numbers written as text under a Spanish locale, as the window runs: Qt sets
// the C library's locale from the environment, whose decimal comma must not
// reach a file, a status text or a message. The test set-up (make deps)
// generates es_ES.UTF-8.

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "asr/validarOpcionesASR.h"
#include "cli/json.h"
#include "filtering/textoEstadoFiltro.h"
#include "io/guardarRama.h"
#include "io/textoNumero.h"
#include "tests/io/capturas.h"

namespace {

class LocaleEspanol : public ::testing::Test {
protected:
    void SetUp() override {
        previo = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "es_ES.UTF-8"))
            GTEST_FAIL() << "falta el locale es_ES.UTF-8 (make deps lo genera con localedef)";
        // The locale is in force: the C library itself writes a comma.
        char coma[16];
        std::snprintf(coma, sizeof coma, "%g", 1.5);
        ASSERT_STREQ(coma, "1,5");
    }
    void TearDown() override { std::setlocale(LC_ALL, previo.c_str()); }

private:
    std::string previo;
};

}  // namespace

TEST_F(LocaleEspanol, ElCSVGuardadoLlevaPuntosDecimales) {
    EEG eeg(256, 2, 2);
    eeg.matrices[0] = arma::mat{{1.5, -0.25}, {0.1, 1e-20}};
    const auto ruta = std::filesystem::temp_directory_path() / "ondelar_locale_prueba.csv";
    guardarRama(eeg, ruta.string());
    std::ifstream f(ruta);
    std::stringstream leido;
    leido << f.rdbuf();
    std::filesystem::remove(ruta);
    // 17 significant digits: 0.1 is written as the double it is.
    EXPECT_EQ(leido.str(), "\"canal1\",\"canal2\"\n1.5,0.10000000000000001\n-0.25,9.9999999999999995e-21\n");
}

TEST_F(LocaleEspanol, TextosDeEstadoDelFiltro) {
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::rechazaBanda, 40.5, 1.25, 256, 1, 1), "notch 40.5 1.25");
    EXPECT_EQ(textoEstadoFiltro(TipoFiltro::pasaAltos, 0.5, 1234567.0, 256, 1, 1), "alto 1.23457e+06");
}

TEST_F(LocaleEspanol, NumerosJSON) {
    EXPECT_EQ(numeroJSON(1.5), "1.5");
    EXPECT_EQ(numeroJSON(0.1), "0.1");  // the fewest digits that read back the same
    EXPECT_EQ(numeroJSON(-26.1), "-26.1");
}

TEST_F(LocaleEspanol, MensajesConNumeros) {
    const auto texto = [](OpcionesASR o) {
        return prueba::rechazo<std::invalid_argument>([&] { validarOpcionesASR(o); });
    };
    EXPECT_EQ(texto({5, 1.5, -3.5, 5.5}), "ASR: maxBadChan = 1.5 fuera del intervalo admitido [0, 1]");
    EXPECT_EQ(texto({5, 0.075, 2.0, 2.0}), "ASR: tolInf (2) debe ser menor que tolSup (2)");
    EXPECT_EQ(textoFijo(3.14159, 2), "3.14");
}
