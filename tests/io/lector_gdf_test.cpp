// GDF 1 reader on small files written here; the real recording is read in
// lector_fabrica_test.cpp.
#include <gtest/gtest.h>

#include <functional>

#include "io/GdfFileReader.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

using prueba::anadirValor;
using prueba::archivoGdf;
using prueba::Bytes;
using prueba::GdfPrueba;

namespace {

EEG leerGdf(const GdfPrueba& g, std::string* motivo = nullptr, std::string* avisos = nullptr) {
    return prueba::leerBytes<GdfFileReader>(archivoGdf(g), motivo, avisos);
}

// One int16 channel, `n` records of one sample each holding 0, 1, 2, ...
GdfPrueba unCanal(int64_t n) {
    GdfPrueba g;
    g.canales.resize(1);
    g.registros = n;
    for (int16_t i = 0; i < n; ++i) anadirValor(g.datos, i);
    return g;
}

}  // namespace

TEST(LectorGdf, VersionesYSalida) {
    EXPECT_EQ(prueba::capturar([] { EXPECT_EQ(leerGdf(unCanal(3)).numeroMuestras, 3); }).salida,
              "detectado el formato: 1\nCargando cabeceras...\nCargando datos...\nCargando eventos...\n");
    GdfPrueba g = unCanal(3);
    g.version = "GDF 2.60";
    std::string motivo;
    EXPECT_EQ(prueba::capturar([&] { EXPECT_TRUE(leerGdf(g, &motivo).matrices.empty()); }).salida,
              "detectado el formato: 2\nVersion no soportada por ahora\n");
    EXPECT_NE(motivo.find("versión 2.60"), std::string::npos);
}

TEST(LectorGdf, CabecerasFijaYDeCanalesConEtiquetasSinRelleno) {
    GdfPrueba g = unCanal(3);
    g.canales.push_back({std::string("Fp1\0\0\0 \0", 8)});
    g.canales[0].etiqueta = "Cz";  // blank-padded to 16 bytes by the builder
    g.datos.resize(12, 0);
    g.denominador = 512;  // records of 1/512 s, one sample each
    const EEG e = leerGdf(g);
    EXPECT_EQ(e.frecuenciaMuestreo, 512);
    EXPECT_EQ(e.identificacionRegistro.size(), 80u);  // fixed-width fields kept whole
    EXPECT_EQ(e.idTecnico, 33u);
    const Canal& c = (*e.canales)[0];
    EXPECT_DOUBLE_EQ(c.minimoFisico, -32768.0);  // as stored
    EXPECT_EQ(c.minimoDigital, -32768);
    EXPECT_EQ(c.etiqueta, "Cz");
    EXPECT_EQ((*e.canales)[1].etiqueta, "Fp1");
    EXPECT_EQ(c.unidad, "uV");
}

TEST(LectorGdf, TiposDeDato1a17E279) {
    struct Caso {
        uint32_t codigo;
        Bytes bytes;
        double esperado;
    };
    auto bytesDe = [](auto v) {
        Bytes b;
        anadirValor(b, v);
        return b;
    };
    for (const Caso& c : std::vector<Caso>{
             {1, {0xFF}, -1.0}, {2, {0xFF}, 255.0}, {3, {0xFF, 0xFF}, -1.0}, {4, {0xFF, 0xFF}, 65535.0},
             {5, bytesDe(int32_t{-70000}), -70000.0}, {6, bytesDe(uint32_t{4000000000u}), 4000000000.0},
             {7, bytesDe(int64_t{-(int64_t{1} << 53) - 1}), -9007199254740992.0},  // nearest double
             {16, bytesDe(2500.0f), 2500.0}, {17, bytesDe(2500.0), 2500.0},
             // int24, as BioSig keeps BDF samples: -2 and 2^23 - 1.
             {279, {0xFE, 0xFF, 0xFF}, -2.0}, {279, {0xFF, 0xFF, 0x7F}, 8388607.0},
         }) {
        GdfPrueba g;
        g.canales.resize(2);
        g.canales[0].tipo = c.codigo;  // the following int16 channel must stay aligned
        g.registros = 1;
        g.datos = c.bytes;
        anadirValor<int16_t>(g.datos, 1234);
        EXPECT_TRUE(arma::approx_equal(leerGdf(g).datos(), arma::vec{c.esperado, 1234.0}, "absdiff", 0.0)) << c.codigo;
    }
}

// Ranges -100..100 uV over -1000..1000: 0.1 uV per step, for integer and
// 64-bit float samples alike, as MNE-Python reads the same two files
// (tests/data/formatos/escala_gdf_mne.txt).
TEST(LectorGdf, ValoresFisicosPorLosRangosDelCanal) {
    for (const bool real : {false, true}) {
        GdfPrueba g;
        g.canales.resize(1);
        g.canales[0].tipo = real ? 17 : 3;
        g.fisicoMinimo = -100, g.fisicoMaximo = 100, g.digitalMinimo = -1000, g.digitalMaximo = 1000;
        g.registros = 3;
        for (const double v : {real ? 1.5 : 1.0, -2.0, 1000.0}) {
            if (real) anadirValor(g.datos, v);
            else anadirValor(g.datos, static_cast<int16_t>(v));
        }
        std::string avisos;
        const EEG e = leerGdf(g, nullptr, &avisos);
        EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{real ? 0.15 : 0.1, -0.2, 100.0}}, "absdiff", 1e-12))
            << e.datos();
        EXPECT_EQ(avisos, "");
        EXPECT_EQ((*e.canales)[0].unidad, "uV");
    }
}

TEST(LectorGdf, RangosSinEscalaDejanLosValoresGuardadosYAvisan) {
    GdfPrueba g = unCanal(3);
    g.digitalMaximo = g.digitalMinimo;
    std::string avisos;
    EXPECT_TRUE(arma::approx_equal(leerGdf(g, nullptr, &avisos).datos(), arma::mat{{0, 1, 2}}, "absdiff", 0.0));
    EXPECT_NE(avisos.find("no definen una escala para el canal 1"), std::string::npos) << avisos;
}

TEST(LectorGdf, DatosDesdeLaLongitudDeCabeceraYVariasMuestrasPorRegistro) {
    GdfPrueba g = unCanal(3);
    g.relleno = 512;  // a longer header, as some tools write
    EXPECT_TRUE(arma::approx_equal(leerGdf(g).datos(), arma::mat{{0, 1, 2}}, "absdiff", 0.0));
    // Two channels, 4 samples per record of 1 s, 3 records: 12 samples at 4 Hz.
    // Record b holds channel 0's four values, then channel 1's.
    GdfPrueba v;
    v.canales.resize(2);
    for (auto& c : v.canales) c.muestrasPorRegistro = 4;
    v.canales[1].tipo = 16;
    v.registros = 3;
    v.denominador = 1;
    arma::mat esperado(2, 12);
    for (int b = 0; b < 3; ++b) {
        for (int k = 0; k < 4; ++k) anadirValor<int16_t>(v.datos, static_cast<int16_t>(10 * b + k));
        for (int k = 0; k < 4; ++k) anadirValor<float>(v.datos, static_cast<float>(-(10 * b + k)));
        for (int k = 0; k < 4; ++k) esperado.col(4 * b + k) = arma::vec{10.0 * b + k, -(10.0 * b + k)};
    }
    const EEG e = leerGdf(v);
    EXPECT_EQ(e.frecuenciaMuestreo, 4);
    EXPECT_TRUE(arma::approx_equal(e.datos(), esperado, "absdiff", 0.0));
}

TEST(LectorGdf, ArchivoTruncadoConservaSoloLasMuestrasCompletas) {
    GdfPrueba g = unCanal(6);
    g.registros = 10;  // four records missing, and the event table
    g.datos.push_back(7);  // half of a seventh record
    std::string avisos;
    const EEG e = leerGdf(g, nullptr, &avisos);
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{0, 1, 2, 3, 4, 5}}, "absdiff", 0.0));
    EXPECT_EQ(e.numeroMuestras, 6);
    EXPECT_NE(avisos.find("se leyeron 6 de las 10 muestras"), std::string::npos) << avisos;
    EXPECT_NE(avisos.find("Falta la tabla de eventos"), std::string::npos) << avisos;
    EXPECT_EQ(avisos.find('|'), std::string::npos) << "un solo mensaje: " << avisos;
    ASSERT_TRUE(e.tieneEventos());
    EXPECT_EQ(e.tablaEventos->numeroEventos, 0);
    // A header promising 2^50 records reserves only what the file holds.
    g.registros = int64_t{1} << 50;
    EXPECT_EQ(leerGdf(g, nullptr, &avisos).numeroMuestras, 6);
    EXPECT_NE(avisos.find("se leyeron 6 de las 1125899906842624 muestras"), std::string::npos) << avisos;
}

TEST(LectorGdf, EventosYLosQueCaenFuera) {
    GdfPrueba g = unCanal(5);
    g.eventos = prueba::tablaEventos(1, {{1, 768}, {3, 769}, {5, 768}});
    const TablaEventos t = *leerGdf(g).tablaEventos;
    ASSERT_EQ(t.eventos.size(), 3u);
    EXPECT_EQ(t.numeroTipos, 2);
    EXPECT_EQ(t.eventos[0].posicion, 0);  // GDF position 1 is the first sample
    EXPECT_EQ(t.eventos[2].posicion, 4);
    EXPECT_EQ(t.eventos[1].calificador, 1);
    g.eventos = prueba::tablaEventos(3, {{2, 1, 4, 100}, {5, 3, 65535, 4000000000u}});
    const TablaEventos t3 = *leerGdf(g).tablaEventos;
    EXPECT_EQ(t3.modo, 3);
    EXPECT_EQ(t3.eventos[0].canal, 4);
    EXPECT_EQ(t3.eventos[0].duracion, 100);
    EXPECT_EQ(t3.eventos[1].duracion, INT32_MAX);
    // Position 0 lies before the first sample, 6 and 4000000000 after the last:
    // dropped and counted.
    g.eventos = prueba::tablaEventos(1, {{0, 1}, {1, 2}, {5, 3}, {6, 4}, {4000000000u, 5}});
    std::string avisos;
    const TablaEventos dentro = *leerGdf(g, nullptr, &avisos).tablaEventos;
    ASSERT_EQ(dentro.eventos.size(), 2u);
    EXPECT_EQ(dentro.numeroEventos, 2);
    EXPECT_EQ(dentro.eventos[1].posicion, 4);
    EXPECT_EQ(dentro.numeroTipos, 2);  // kinds only of the events kept
    EXPECT_NE(avisos.find("Se descartaron 3 de los 5 eventos"), std::string::npos) << avisos;
}

TEST(LectorGdf, CabecerasImposiblesSeRechazanSinReservar) {
    using Caso = std::pair<std::function<void(GdfPrueba&)>, std::string>;  // the change, the reason's words
    std::vector<Caso> casos = {
        {[](GdfPrueba& g) { g.version = "GDF x.25"; }, "versión"}, {[](GdfPrueba& g) { g.version = "GDF 1.2 "; }, "versión"},
        {[](GdfPrueba& g) { g.version = "0       "; }, "no es un archivo GDF"},  // an EDF file
        {[](GdfPrueba& g) { g.numerador = 0; }, "duración"}, {[](GdfPrueba& g) { g.denominador = 0; }, "duración"},
        {[](GdfPrueba& g) { g.numerador = 2, g.denominador = 1; }, "frecuencia"},  // 0.5 Hz
        {[](GdfPrueba& g) { g.longitudCabecera = 256 * 2 - 1; }, "longitud de cabecera"},
        {[](GdfPrueba& g) { g.longitudCabecera = 100000; }, "longitud de cabecera"},
        {[](GdfPrueba& g) { g.canales.clear(); }, "ningún canal"},
        {[](GdfPrueba& g) { g.canales.push_back({"D", 2}); }, "distinto número de muestras"},
        {[](GdfPrueba& g) { g.canales[0].muestrasPorRegistro = 0; }, "0 muestras por registro"},
        {[](GdfPrueba& g) { g.registros = 0; }, "registros"}, {[](GdfPrueba& g) { g.registros = -1; }, "registros"},
        {[](GdfPrueba& g) { g.datos = {1}; }, "ninguna muestra completa"},
        {[](GdfPrueba& g) { g.canales[0].muestrasPorRegistro = g.numerador = 4000000000u, g.denominador = 1; },
         "ninguna muestra completa"},
    };
    for (uint32_t codigo : {0u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 18u, 256u, 535u})
        casos.push_back({[codigo](GdfPrueba& g) { g.canales[0].tipo = codigo; }, "tipo de dato " + std::to_string(codigo)});
    for (const auto& [cambio, fragmento] : casos) {
        GdfPrueba g = unCanal(3);
        cambio(g);
        std::string motivo;
        const EEG e = leerGdf(g, &motivo);
        EXPECT_TRUE(e.numeroCanales == 0 && e.matrices.empty()) << fragmento;
        EXPECT_NE(motivo.find(fragmento), std::string::npos) << "motivo: " << motivo;
    }
    std::string motivo;
    prueba::leerBytes<GdfFileReader>(Bytes(), &motivo);
    EXPECT_NE(motivo.find("no es un archivo GDF"), std::string::npos);
}
