#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include <armadillo>

#include "averaging/archivoCubo.h"
#include "eegSintetico.h"

using prueba::DirectorioTemporal;

namespace {

std::tm hora(int anio, int mes, int dia, int diaSemana, int h, int m, int s) {
    std::tm t{};
    t.tm_year = anio - 1900;
    t.tm_mon = mes - 1;
    t.tm_mday = dia;
    t.tm_wday = diaSemana;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return t;
}

}  // namespace

TEST(CubeFileName, AsctimeWithoutLineEndAndColons) {
    EXPECT_EQ(nombreCuboPromediado(hora(2026, 12, 12, 6, 14, 3, 27)), "Promediado-Sat Dec 12 14-03-27 2026.bin");
}

TEST(CubeFileName, SingleDigitDayKeepsAsctimePadding) {
    EXPECT_EQ(nombreCuboPromediado(hora(2026, 12, 6, 0, 9, 5, 0)), "Promediado-Sun Dec  6 09-05-00 2026.bin");
}

TEST(CubeFileName, MatchesTheCLibrary) {
    std::tm t = hora(2031, 3, 1, 6, 23, 59, 9);
    std::string texto = std::asctime(&t);
    texto.pop_back();
    for (char& c : texto)
        if (c == ':') c = '-';
    EXPECT_EQ(nombreCuboPromediado(t), "Promediado-" + texto + ".bin");
}

TEST(CubeFileName, RepeatedNamesGetASuffix) {
    const std::tm t = hora(2026, 12, 12, 6, 14, 3, 27);
    EXPECT_EQ(nombreCuboPromediado(t, 1), "Promediado-Sat Dec 12 14-03-27 2026.bin");
    EXPECT_EQ(nombreCuboPromediado(t, 2), "Promediado-Sat Dec 12 14-03-27 2026-2.bin");
    EXPECT_EQ(nombreCuboPromediado(t, 10), "Promediado-Sat Dec 12 14-03-27 2026-10.bin");
}

TEST(CubeFileName, OutOfRangeDateIsRefused) {
    std::tm t = hora(2026, 12, 12, 6, 14, 3, 27);
    t.tm_mon = 12;
    EXPECT_THROW(nombreCuboPromediado(t), std::invalid_argument);
}

TEST(CubeFile, ArmadilloBinaryHeaderAndDimensions) {
    DirectorioTemporal dir;
    DestinoCubo destino{dir.ruta(), [] { return hora(2026, 12, 12, 6, 14, 3, 27); }};
    arma::cube c(3, 5, 2);
    c.randu();
    const auto ruta = guardarCuboPromediado(c, destino);
    ASSERT_FALSE(ruta.empty());
    std::ifstream f(ruta, std::ios::binary);
    std::string cabecera, dimensiones;
    std::getline(f, cabecera);
    std::getline(f, dimensiones);
    EXPECT_EQ(cabecera, "ARMA_CUB_BIN_FN008");
    EXPECT_EQ(dimensiones, "3 5 2");
    arma::cube leido;
    ASSERT_TRUE(leido.load(ruta.string(), arma::arma_binary));
    EXPECT_TRUE(arma::approx_equal(leido, c, "absdiff", 0.0));
}

TEST(CubeFile, ExistingFileIsNeverOverwritten) {
    DirectorioTemporal dir;
    DestinoCubo destino{dir.ruta(), [] { return hora(2026, 12, 12, 6, 14, 3, 27); }};
    const auto previo = dir.ruta() / "Promediado-Sat Dec 12 14-03-27 2026.bin";
    { std::ofstream(previo) << "épocas de una sesión anterior"; }
    const auto ruta = guardarCuboPromediado(arma::cube(2, 2, 1, arma::fill::ones), destino);
    EXPECT_EQ(ruta.filename(), "Promediado-Sat Dec 12 14-03-27 2026-2.bin");
    std::ifstream f(previo);
    std::string contenido;
    std::getline(f, contenido);
    EXPECT_EQ(contenido, "épocas de una sesión anterior");
}

TEST(CubeFile, MissingDirectoryGivesEmptyPath) {
    DirectorioTemporal dir;
    DestinoCubo destino{dir.ruta() / "falta", {}};
    EXPECT_TRUE(guardarCuboPromediado(arma::cube(2, 2, 1, arma::fill::ones), destino).empty());
}

TEST(CubeFile, DefaultClockNamesByLocalTime) {
    DirectorioTemporal dir;
    const auto ruta = guardarCuboPromediado(arma::cube(1, 1, 1, arma::fill::ones), DestinoCubo{dir.ruta(), {}});
    ASSERT_FALSE(ruta.empty());
    const std::string nombre = ruta.filename().string();
    EXPECT_EQ(nombre.rfind("Promediado-", 0), 0u);
    EXPECT_EQ(nombre.substr(nombre.size() - 4), ".bin");
    EXPECT_EQ(nombre.find(':'), std::string::npos);
}
