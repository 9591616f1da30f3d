#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"
#include "tests/io/archivosPrueba.h"

using prueba::anadirValor;
using prueba::archivoGdf;
using prueba::Bytes;
using prueba::GdfPrueba;
using prueba::tablaEventos;

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";

EEG leerGdf(const Bytes& b, std::string* motivo = nullptr) {
    GdfFileReader lector;
    EEG e = lector.leerMemoria(b.data(), b.size());
    if (motivo) *motivo = lector.motivoFallo();
    return e;
}

// One int16 channel, `n` records of one sample each holding 0, 1, 2, ...
GdfPrueba unCanal(int64_t n) {
    GdfPrueba g;
    g.canales.resize(1);
    g.registros = n;
    for (int16_t i = 0; i < n; ++i) anadirValor(g.datos, i);
    return g;
}

void esperarRechazo(const Bytes& b, const std::string& fragmento) {
    std::string motivo;
    const EEG e = leerGdf(b, &motivo);
    EXPECT_EQ(e.numeroCanales, 0u) << fragmento;
    EXPECT_TRUE(e.matrices.empty()) << fragmento;
    EXPECT_NE(motivo.find(fragmento), std::string::npos) << "motivo: " << motivo;
}

}  // namespace

TEST(LectorGdf, P300RealIgualQueElDat) {
    GdfFileReader lectorGdf;
    DatFileReader lectorDat;
    const EEG g = lectorGdf.leer(datos + "p300_8ch.gdf");
    const EEG d = lectorDat.leer(datos + "p300_8ch.dat");
    ASSERT_EQ(lectorGdf.motivoFallo(), "");
    ASSERT_EQ(lectorDat.motivoFallo(), "");
    EXPECT_EQ(g.numeroCanales, 8u);
    EXPECT_EQ(g.numeroMuestras, 56840);
    EXPECT_EQ(g.frecuenciaMuestreo, 256);
    ASSERT_EQ(g.datos().n_rows, 8u);
    ASSERT_EQ(g.datos().n_cols, 56840u);
    EXPECT_TRUE(arma::approx_equal(g.datos(), d.datos(), "absdiff", 0.0));
    const std::vector<std::string> etiquetas = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};
    for (size_t c = 0; c < 8; ++c) {
        const std::string& e = (*g.canales)[c].etiqueta;
        EXPECT_EQ(e.size(), 16u);  // fixed-width field kept whole
        EXPECT_EQ(e.substr(0, e.find(' ')), etiquetas[c]);
        EXPECT_EQ((*g.canales)[c].tipoDato, 3u);
        EXPECT_EQ((*g.canales)[c].muestrasPorRegistro, 1u);
    }
    EXPECT_EQ(g.sujeto.size(), 80u);
    EXPECT_EQ(g.fechaRegistro, "2009030511562400");
}

TEST(LectorGdf, P300RealTablaDeEventos) {
    GdfFileReader lector;
    const EEG g = lector.leer(datos + "p300_8ch.gdf");
    ASSERT_TRUE(g.tieneEventos());
    const TablaEventos& t = *g.tablaEventos;
    EXPECT_EQ(t.modo, 1);
    EXPECT_EQ(t.numeroEventos, 720);
    ASSERT_EQ(t.eventos.size(), 720u);
    EXPECT_EQ(t.numeroTipos, 12);
    std::map<int32_t, int> porTipo;
    for (const Evento& e : t.eventos) {
        ++porTipo[e.tipo];
        EXPECT_EQ(e.calificador, 1);
        EXPECT_EQ(e.canal, 0);
        EXPECT_EQ(e.duracion, 0);
        EXPECT_GE(e.posicion, 0);
        EXPECT_LT(e.posicion, g.numeroMuestras);
    }
    ASSERT_EQ(porTipo.size(), 12u);
    for (int tipo = 1; tipo <= 12; ++tipo) EXPECT_EQ(porTipo[tipo], 60) << tipo;
    // The file stores 2313 (GDF counts samples from 1): the first flash starts at
    // column 2312, the sample where the .dat file's StimulusCode state turns on.
    EXPECT_EQ(t.eventos[0].posicion, 2312);
    EXPECT_EQ(t.eventos[0].tipo, 6);
}

TEST(LectorGdf, VersionEscritaEnLaSalida) {
    testing::internal::CaptureStdout();
    const EEG e = leerGdf(archivoGdf(unCanal(3)));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "detectado el formato: 1\nCargando cabeceras...\nCargando datos...\nCargando eventos...\n");
    EXPECT_EQ(e.numeroMuestras, 3);
}

TEST(LectorGdf, Version2SeRechaza) {
    GdfPrueba g = unCanal(3);
    g.version = "GDF 2.10";
    testing::internal::CaptureStdout();
    std::string motivo;
    const EEG e = leerGdf(archivoGdf(g), &motivo);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "detectado el formato: 2\nVersion no soportada por ahora\n");
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_NE(motivo.find("versión 2"), std::string::npos);
}

TEST(LectorGdf, VersionIlegibleONoGdfSeRechaza) {
    GdfPrueba g = unCanal(3);
    g.version = "GDF x.25";
    esperarRechazo(archivoGdf(g), "versión");
    g.version = "GDF 1.2 ";  // nothing after the last blank
    esperarRechazo(archivoGdf(g), "versión");
    g.version = "0       ";  // an EDF file
    esperarRechazo(archivoGdf(g), "no es un archivo GDF");
    esperarRechazo(Bytes(), "no es un archivo GDF");
}

TEST(LectorGdf, CabeceraFijaYDeCanales) {
    GdfPrueba g = unCanal(2);
    g.canales[0].etiqueta = "Cz";
    g.canales[0].minimoFisico = -2500.0;
    g.canales[0].maximoFisico = 2500.0;
    const EEG e = leerGdf(archivoGdf(g));
    EXPECT_EQ(e.sujeto.substr(0, 6), "sujeto");
    EXPECT_EQ(e.identificacionRegistro.size(), 80u);
    EXPECT_EQ(e.idEquipo, 11u);
    EXPECT_EQ(e.idLaboratorio, 22u);
    EXPECT_EQ(e.idTecnico, 33u);
    EXPECT_EQ(e.reservado.substr(0, 9), "reservado");
    const Canal& c = (*e.canales)[0];
    EXPECT_EQ(c.etiqueta, "Cz              ");
    EXPECT_EQ(c.transductor.substr(0, 11), "transductor");
    EXPECT_EQ(c.unidad, "uV      ");
    EXPECT_DOUBLE_EQ(c.minimoFisico, -2.5);  // stored value / 1000
    EXPECT_DOUBLE_EQ(c.maximoFisico, 2.5);
    EXPECT_EQ(c.minimoDigital, -32768);
    EXPECT_EQ(c.maximoDigital, 32767);
    EXPECT_EQ(c.prefiltrado.substr(0, 8), "HP:0.1Hz");
    EXPECT_FALSE(c.localizacion.has_value());
    EXPECT_EQ(e.historia, "");
    EXPECT_EQ(e.tiempoInicio, 0.0);
}

TEST(LectorGdf, DuracionDeRegistroDaFrecuencia) {
    GdfPrueba g = unCanal(10);
    g.numerador = 1;
    g.denominador = 512;
    const EEG e = leerGdf(archivoGdf(g));
    EXPECT_EQ(e.frecuenciaMuestreo, 512);
    EXPECT_EQ(e.numeroMuestras, 10);
    EXPECT_DOUBLE_EQ(e.tiempoFin, 0.0);
}

TEST(LectorGdf, DuracionCeroOFrecuenciaMenorQueUnHzSeRechaza) {
    GdfPrueba g = unCanal(3);
    g.numerador = 0;
    esperarRechazo(archivoGdf(g), "duración");
    g.numerador = 1;
    g.denominador = 0;
    esperarRechazo(archivoGdf(g), "duración");
    g.numerador = 2;  // one sample every 2 s
    g.denominador = 1;
    esperarRechazo(archivoGdf(g), "frecuencia");
}

TEST(LectorGdf, TiposDeDato1a17) {
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
    const std::vector<Caso> casos = {
        {1, {0xFF}, -1.0},
        {2, {0xFF}, 255.0},
        {3, {0xFF, 0xFF}, -1.0},
        {4, {0xFF, 0xFF}, 65535.0},
        {5, bytesDe(int32_t{-70000}), -70000.0},
        {6, bytesDe(uint32_t{4000000000u}), 4000000000.0},
        {7, bytesDe(int64_t{-(int64_t{1} << 53) - 1}), -9007199254740992.0},  // nearest double
        {16, bytesDe(2500.0f), 2500.0},
        {17, bytesDe(2500.0), 2.5},  // 64-bit floats are stored divided by 1000
    };
    for (const Caso& c : casos) {
        GdfPrueba g;
        g.canales.resize(2);
        g.canales[0].tipo = c.codigo;
        g.canales[1].tipo = 3;  // a following int16 channel must stay aligned
        g.registros = 1;
        g.datos = c.bytes;
        anadirValor<int16_t>(g.datos, 1234);
        std::string motivo;
        const EEG e = leerGdf(archivoGdf(g), &motivo);
        ASSERT_EQ(motivo, "") << c.codigo;
        EXPECT_EQ(e.datos()(0, 0), c.esperado) << c.codigo;
        EXPECT_EQ(e.datos()(1, 0), 1234.0) << c.codigo;
        EXPECT_EQ((*e.canales)[0].tipoDato, c.codigo);
    }
    for (uint32_t codigo : {0u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 18u, 256u}) {
        GdfPrueba g = unCanal(1);
        g.canales[0].tipo = codigo;
        esperarRechazo(archivoGdf(g), "tipo de dato " + std::to_string(codigo));
    }
}

TEST(LectorGdf, DatosEmpiezanEnLaLongitudDeCabecera) {
    GdfPrueba g = unCanal(3);
    g.relleno = 512;  // a longer header, as some tools write
    const EEG e = leerGdf(archivoGdf(g));
    ASSERT_EQ(e.numeroMuestras, 3);
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{0, 1, 2}}, "absdiff", 0.0));
}

TEST(LectorGdf, LongitudDeCabeceraImposibleSeRechaza) {
    GdfPrueba g = unCanal(3);
    g.longitudCabecera = 256 * 2 - 1;
    esperarRechazo(archivoGdf(g), "longitud de cabecera");
    g.longitudCabecera = 100000;
    esperarRechazo(archivoGdf(g), "longitud de cabecera");
    g.longitudCabecera = -1;
    g.canales.clear();
    esperarRechazo(archivoGdf(g), "ningún canal");
}

TEST(LectorGdf, VariasMuestrasPorRegistro) {
    // Two channels, 4 samples per record of 1 s, 3 records: 12 samples at 4 Hz.
    // Record b holds channel 0's four values, then channel 1's.
    GdfPrueba g;
    g.canales.resize(2);
    for (auto& c : g.canales) c.muestrasPorRegistro = 4;
    g.canales[1].tipo = 16;
    g.registros = 3;
    g.numerador = 1;
    g.denominador = 1;
    for (int b = 0; b < 3; ++b) {
        for (int k = 0; k < 4; ++k) anadirValor<int16_t>(g.datos, static_cast<int16_t>(10 * b + k));
        for (int k = 0; k < 4; ++k) anadirValor<float>(g.datos, static_cast<float>(-(10 * b + k)));
    }
    const EEG e = leerGdf(archivoGdf(g));
    EXPECT_EQ(e.frecuenciaMuestreo, 4);
    ASSERT_EQ(e.numeroMuestras, 12);
    for (int b = 0; b < 3; ++b)
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(e.datos()(0, 4 * b + k), 10 * b + k);
            EXPECT_EQ(e.datos()(1, 4 * b + k), -(10 * b + k));
        }
}

TEST(LectorGdf, MuestrasPorRegistroDistintasOCeroSeRechaza) {
    GdfPrueba g = unCanal(1);
    g.canales.resize(2);
    g.canales[1].muestrasPorRegistro = 2;
    esperarRechazo(archivoGdf(g), "distinto número de muestras");
    g.canales[0].muestrasPorRegistro = 0;
    g.canales[1].muestrasPorRegistro = 0;
    esperarRechazo(archivoGdf(g), "0 muestras por registro");
}

TEST(LectorGdf, RegistrosNegativosOCeroSeRechaza) {
    GdfPrueba g = unCanal(0);
    esperarRechazo(archivoGdf(g), "registros");
    g.registros = -1;  // "unknown" in GDF
    esperarRechazo(archivoGdf(g), "registros");
}

TEST(LectorGdf, TamanoAbsurdoSeRechazaAntesDeReservar) {
    GdfPrueba g = unCanal(3);
    g.registros = int64_t{1} << 50;
    const auto t0 = std::chrono::steady_clock::now();
    esperarRechazo(archivoGdf(g), "mucho más");
    g.registros = INT64_MAX;
    esperarRechazo(archivoGdf(g), "mucho más");
    g.registros = 3;
    g.canales[0].muestrasPorRegistro = 4000000000u;
    g.numerador = 4000000000u;  // 1 Hz
    g.denominador = 1;
    esperarRechazo(archivoGdf(g), "mucho más");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
}

TEST(LectorGdf, ArchivoTruncadoSeRellenaConCeros) {
    GdfPrueba g = unCanal(6);
    g.registros = 10;  // four records missing, and the event table
    std::string motivo;
    const EEG e = leerGdf(archivoGdf(g), &motivo);
    ASSERT_EQ(motivo, "");
    ASSERT_EQ(e.numeroMuestras, 10);
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{0, 1, 2, 3, 4, 5, 0, 0, 0, 0}}, "absdiff", 0.0));
    ASSERT_TRUE(e.tieneEventos());
    EXPECT_EQ(e.tablaEventos->modo, 0);
    EXPECT_EQ(e.tablaEventos->numeroEventos, 0);
}

TEST(LectorGdf, EventosModo1) {
    GdfPrueba g = unCanal(5);
    g.eventos = tablaEventos(1, {{1, 768}, {3, 769}, {5, 768}});
    const EEG e = leerGdf(archivoGdf(g));
    ASSERT_TRUE(e.tieneEventos());
    const TablaEventos& t = *e.tablaEventos;
    EXPECT_EQ(t.modo, 1);
    ASSERT_EQ(t.numeroEventos, 3);
    ASSERT_EQ(t.numeroTipos, 2);
    EXPECT_EQ(t.tipos[0].tipo, 768);
    EXPECT_EQ(t.tipos[1].tipo, 769);
    EXPECT_EQ(t.eventos[0].posicion, 0);  // GDF position 1 is the first sample
    EXPECT_EQ(t.eventos[2].posicion, 4);
    EXPECT_EQ(t.eventos[0].rojo, t.eventos[2].rojo);
    EXPECT_EQ(t.eventos[0].verde, t.eventos[2].verde);
    EXPECT_EQ(t.eventos[0].azul, t.eventos[2].azul);
    for (const Evento& ev : t.eventos) {
        EXPECT_EQ(ev.canal, 0);
        EXPECT_EQ(ev.duracion, 0);
        EXPECT_EQ(ev.calificador, 1);
    }
}

TEST(LectorGdf, EventosModo3ConCanalYDuracion) {
    GdfPrueba g = unCanal(5);
    g.eventos = tablaEventos(3, {{2, 1, 4, 100}, {0, 2, 0, 7}, {4000000000u, 3, 65535, 4000000000u}});
    const EEG e = leerGdf(archivoGdf(g));
    const TablaEventos& t = *e.tablaEventos;
    EXPECT_EQ(t.modo, 3);
    ASSERT_EQ(t.numeroEventos, 3);
    EXPECT_EQ(t.eventos[0].posicion, 1);
    EXPECT_EQ(t.eventos[0].canal, 4);
    EXPECT_EQ(t.eventos[0].duracion, 100);
    EXPECT_EQ(t.eventos[1].posicion, -1);  // position 0 lies before the first sample
    EXPECT_EQ(t.eventos[2].posicion, INT32_MAX);
    EXPECT_EQ(t.eventos[2].canal, 65535);
    EXPECT_EQ(t.eventos[2].duracion, INT32_MAX);
}

TEST(LectorGdf, NumeroDeEventosAbsurdoSeRechaza) {
    GdfPrueba g = unCanal(5);
    g.eventos = tablaEventos(1, {{1, 1}});
    g.eventos[4] = g.eventos[5] = g.eventos[6] = 0xFF;
    g.eventos[7] = 0x7F;
    esperarRechazo(archivoGdf(g), "eventos");
}

TEST(LectorGdf, ArchivoInexistente) {
    GdfFileReader lector;
    testing::internal::CaptureStdout();
    const EEG e = lector.leer("/no/existe/nada.gdf");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fallo al abrir el archivo\n");
    EXPECT_TRUE(e.matrices.empty());
    EXPECT_FALSE(lector.motivoFallo().empty());
    // A folder is not a recording either.
    lector.leer("/tmp");
    EXPECT_FALSE(lector.motivoFallo().empty());
}

TEST(LectorGdf, RutaConAcentosSeAbre) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta.escribir("registro_señal_é.gdf", archivoGdf(unCanal(3)));
    GdfFileReader lector;
    const EEG e = lector.leer(ruta);
    EXPECT_EQ(lector.motivoFallo(), "");
    EXPECT_EQ(e.numeroMuestras, 3);
}
