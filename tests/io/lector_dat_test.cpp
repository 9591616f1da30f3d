#include <gtest/gtest.h>

#include <cstring>

#include "io/DatFileReader.h"
#include "tests/io/archivosPrueba.h"

using prueba::archivoDatInt16;
using prueba::Bytes;
using prueba::cabeceraDat;

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";

EEG leerDat(const Bytes& b, std::string* motivo = nullptr) {
    DatFileReader lector;
    EEG e = lector.leerMemoria(b.data(), b.size());
    if (motivo) *motivo = lector.motivoFallo();
    return e;
}

// Two channels, one byte of state vector, three samples.
Bytes pequeno(const std::vector<std::string>& parametros) {
    return archivoDatInt16(2, 1, parametros, {{1, -1}, {300, -300}, {32767, -32768}});
}

}  // namespace

TEST(LectorDat, P300RealOchoCanalesA256Hz) {
    DatFileReader lector;
    const EEG e = lector.leer(datos + "p300_8ch.dat");
    ASSERT_EQ(lector.motivoFallo(), "");
    EXPECT_EQ(e.numeroCanales, 8u);
    EXPECT_EQ(e.numeroMuestras, 56840);
    EXPECT_EQ(e.frecuenciaMuestreo, 256);
    ASSERT_EQ(e.datos().n_rows, 8u);
    ASSERT_EQ(e.datos().n_cols, 56840u);
    const std::vector<std::string> etiquetas = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};
    for (size_t c = 0; c < 8; ++c) EXPECT_EQ((*e.canales)[c].etiqueta, etiquetas[c]);
    EXPECT_EQ(e.sujeto, "PXB");
    EXPECT_EQ(e.identificacionRegistro, "001-02");
    EXPECT_EQ(e.fechaRegistro, "Thu%20Mar%2005%2011:56:24%202009");
    EXPECT_FALSE(e.tieneEventos());
    EXPECT_DOUBLE_EQ(e.tiempoFin, 222.0);  // 56839 / 256 in integer division
    EXPECT_FALSE((*e.canales)[0].localizacion.has_value());
}

TEST(LectorDat, MotorRealSesentaYCuatroCanalesA160Hz) {
    DatFileReader lector;
    const EEG e = lector.leer(datos + "motor_64ch.dat");
    ASSERT_EQ(lector.motivoFallo(), "");
    EXPECT_EQ(e.numeroCanales, 64u);
    EXPECT_EQ(e.numeroMuestras, 19696);
    EXPECT_EQ(e.frecuenciaMuestreo, 160);
    EXPECT_EQ(e.datos().n_cols, 19696u);
    EXPECT_EQ((*e.canales)[0].etiqueta, "");  // no ChannelNames= in this file
    // SubjectRun= comes before SubjectSession= in this header: still session-run.
    EXPECT_EQ(e.identificacionRegistro, "000-03");
    EXPECT_EQ(e.sujeto, "gvn");
}

TEST(LectorDat, SinDataFormatGuardaEnterosDe16Bits) {
    const EEG e = leerDat(pequeno({"x int SamplingRate= 256Hz"}));
    ASSERT_EQ(e.numeroMuestras, 3);
    const arma::mat esperado = {{1, 300, 32767}, {-1, -300, -32768}};
    EXPECT_TRUE(arma::approx_equal(e.datos(), esperado, "absdiff", 0.0));
}

TEST(LectorDat, DataFormatInt32YFloat32) {
    for (const char* formato : {"int32", "float32", "double"}) {
        std::string cab = cabeceraDat(1, 2, {std::string("x string DataFormat= ") + formato, "x int SamplingRate= 100"});
        Bytes b(cab.begin(), cab.end());
        if (std::string(formato) == "int32") {
            prueba::anadirValor<int32_t>(b, -70000);
        } else {
            prueba::anadirValor<float>(b, 2500.5f);  // "double" also means 32-bit floats here
        }
        b.push_back(0);
        b.push_back(0);
        const EEG e = leerDat(b);
        ASSERT_EQ(e.numeroMuestras, 1) << formato;
        EXPECT_EQ(e.datos()(0, 0), std::string(formato) == "int32" ? -70000.0 : 2500.5) << formato;
    }
}

TEST(LectorDat, VectorDeEstadoSeSaltaEntreMuestras) {
    const EEG e = leerDat(archivoDatInt16(1, 5, {"x SamplingRate= 10"}, {{7}, {8}, {9}}));
    ASSERT_EQ(e.numeroMuestras, 3);
    EXPECT_EQ(e.datos()(0, 2), 9.0);
}

TEST(LectorDat, NumeroDeMuestrasPorTamanoDeArchivo) {
    // 10000 bytes, header 1000, 8 int16 channels and 3 bytes of state:
    // (10000 - 1000) / 19 = 473 samples; the last 13 bytes are not read.
    std::string cab = "HeaderLen= 1000 SourceCh= 8 StatevectorLen= 3\r\nx SamplingRate= 256\r\n";
    cab.resize(1000, ' ');
    Bytes b(cab.begin(), cab.end());
    b.resize(10000, 0);
    const EEG e = leerDat(b);
    EXPECT_EQ(e.numeroMuestras, 473);
    EXPECT_EQ(e.numeroCanales, 8u);
}

TEST(LectorDat, MilMuestrasA256HzTerminanEnTresSegundos) {
    std::vector<std::vector<int16_t>> m(1000, std::vector<int16_t>{0});
    const EEG e = leerDat(archivoDatInt16(1, 0, {"x SamplingRate= 256Hz"}, m));
    EXPECT_EQ(e.numeroMuestras, 1000);
    EXPECT_DOUBLE_EQ(e.tiempoFin, 3.0);
}

TEST(LectorDat, FrecuenciaDeMuestreoDelToken) {
    struct Caso {
        const char* linea;
        int32_t frecuencia;
    };
    for (const Caso& c : {Caso{"Source:Signal%20Properties:DataIOFilter int SamplingRate= 512Hz 256Hz 1 % // SamplingRate= 9", 512},
                          Caso{"x int SamplingRate= % 300Hz", 300}, Caso{"x int SamplingRate= 256.0Hz", 256},
                          Caso{"x int SamplingRate= 160 128 1 4000", 160}}) {
        const EEG e = leerDat(pequeno({c.linea}));
        EXPECT_EQ(e.frecuenciaMuestreo, c.frecuencia) << c.linea;
    }
}

TEST(LectorDat, FrecuenciaIlegibleCeroONegativaSeRechaza) {
    for (const char* linea : {"x SamplingRate= Hz", "x SamplingRate= abc", "x SamplingRate= 0Hz", "x SamplingRate= -256Hz",
                              "x SamplingRate= 99999999999999999999999Hz", "x SamplingRate= 4294967296Hz", "x nada"}) {
        std::string motivo;
        const EEG e = leerDat(pequeno({linea}), &motivo);
        EXPECT_EQ(e.numeroCanales, 0u) << linea;
        EXPECT_TRUE(e.matrices.empty()) << linea;
        EXPECT_NE(motivo.find("frecuencia"), std::string::npos) << linea << ": " << motivo;
    }
}

TEST(LectorDat, ComentarioTerminaLaLinea) {
    const EEG e = leerDat(pequeno({"x SamplingRate= 100 // SubjectName= otro", "y SubjectName= PXB % // z"}));
    EXPECT_EQ(e.sujeto, "PXB");
}

TEST(LectorDat, SesionYEjecucion) {
    EXPECT_EQ(leerDat(pequeno({"a SamplingRate= 1", "b SubjectSession= 001", "c SubjectRun= 02"})).identificacionRegistro,
              "001-02");
    EXPECT_EQ(leerDat(pequeno({"a SamplingRate= 1", "c SubjectRun= %"})).identificacionRegistro, "-");
    EXPECT_EQ(leerDat(pequeno({"a SamplingRate= 1", "c SubjectRun= 02", "b SubjectSession= 001"})).identificacionRegistro,
              "001-02");
    EXPECT_EQ(leerDat(pequeno({"a SamplingRate= 1", "b SubjectSession= 1", "c SubjectRun= 2", "c SubjectRun= 3"}))
                  .identificacionRegistro,
              "1-2-3");
    const EEG e = leerDat(pequeno({"a SamplingRate= 1", "b SubjectName= %", "c StorageTime= %"}));
    EXPECT_EQ(e.sujeto, "");
    EXPECT_EQ(e.fechaRegistro, "");
}

TEST(LectorDat, NombresDeCanal) {
    const EEG e = leerDat(pequeno({"x SamplingRate= 1", "x list ChannelNames= 1 Cz // comentario"}));
    EXPECT_EQ((*e.canales)[0].etiqueta, "Cz");
    EXPECT_EQ((*e.canales)[1].etiqueta, "");
    std::string motivo;
    const EEG mal = leerDat(pequeno({"x SamplingRate= 1", "x list ChannelNames= 3 A B C"}), &motivo);
    EXPECT_EQ(mal.numeroCanales, 0u);
    EXPECT_NE(motivo.find("ChannelNames="), std::string::npos);
}

TEST(LectorDat, NumeroDeEnsayosDaUnidadYTipo) {
    const EEG e = leerDat(pequeno({"x SamplingRate= 1", "x NumberOfTrials= 4 a b"}));
    for (const Canal& c : *e.canales) {
        EXPECT_EQ(c.unidad, "uV.");
        EXPECT_EQ(c.muestrasPorRegistro, 4u);
        EXPECT_EQ(c.tipoDato, 3u);
    }
    EXPECT_EQ((*leerDat(pequeno({"x SamplingRate= 1"})).canales)[0].unidad, "");
}

TEST(LectorDat, PrimeraLineaSinCRLFSeRechaza) {
    std::string texto = "HeaderLen= 40 SourceCh= 1 StatevectorLen= 0\nSamplingRate= 1\n";
    std::string motivo;
    const EEG e = leerDat(Bytes(texto.begin(), texto.end()), &motivo);
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_NE(motivo.find("CR LF"), std::string::npos);
    EXPECT_EQ(leerDat(Bytes(), &motivo).numeroCanales, 0u);
    EXPECT_FALSE(motivo.empty());
}

TEST(LectorDat, LineaConSoloLFNoTerminaLaPrimeraLinea) {
    // The first line runs to the first CR LF: HeaderLen= is found on the second LF line.
    std::string cab = "x\nHeaderLen= 0080 SourceCh= 1 StatevectorLen= 0\r\nSamplingRate= 9\r\n";
    cab.resize(80, ' ');
    Bytes b(cab.begin(), cab.end());
    prueba::anadirValor<int16_t>(b, 5);
    const EEG e = leerDat(b);
    ASSERT_EQ(e.numeroMuestras, 1);
    EXPECT_EQ(e.frecuenciaMuestreo, 9);
    EXPECT_EQ(e.datos()(0, 0), 5.0);
}

TEST(LectorDat, LongitudDeCabeceraAusenteOFueraDelArchivo) {
    for (const std::string texto : {std::string("SourceCh= 1 StatevectorLen= 0\r\n"), std::string("HeaderLen= x\r\n"),
                                    std::string("HeaderLen= 9999 SourceCh= 1\r\n"), std::string("HeaderLen= -5\r\n"),
                                    std::string("HeaderLen=\r\n")}) {
        std::string motivo;
        const EEG e = leerDat(Bytes(texto.begin(), texto.end()), &motivo);
        EXPECT_EQ(e.numeroCanales, 0u) << texto;
        EXPECT_NE(motivo.find("HeaderLen="), std::string::npos) << motivo;
    }
}

TEST(LectorDat, SinCanalesNiVectorDeEstadoSeRechaza) {
    std::string motivo;
    const EEG e = leerDat(archivoDatInt16(0, 0, {"x SamplingRate= 1"}, {}), &motivo);
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_FALSE(motivo.empty());
    // Channels but not one whole sample.
    std::string cab = cabeceraDat(4, 0, {"x SamplingRate= 1"});
    Bytes b(cab.begin(), cab.end());
    b.resize(b.size() + 7, 1);
    EXPECT_EQ(leerDat(b, &motivo).numeroCanales, 0u);
    EXPECT_NE(motivo.find("muestra"), std::string::npos);
}

TEST(LectorDat, CanalesAbsurdosSeRechazanSinReservar) {
    std::string motivo;
    const EEG e = leerDat(pequeno({"x SamplingRate= 1", "x SourceCh= 4000000000000"}), &motivo);
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_FALSE(motivo.empty());
    EXPECT_EQ(leerDat(pequeno({"x SamplingRate= 1", "x SourceCh= 99999999999999999999999"}), &motivo).numeroCanales, 0u);
    EXPECT_NE(motivo.find("SourceCh="), std::string::npos);
}

TEST(LectorDat, ArchivoInexistente) {
    DatFileReader lector;
    testing::internal::CaptureStdout();
    const EEG e = lector.leer("/no/existe/nada.dat");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fallo al abrir el archivo\n");
    EXPECT_EQ(e.numeroCanales, 0u);
    EXPECT_TRUE(e.matrices.empty());
    EXPECT_FALSE(lector.motivoFallo().empty());
}

TEST(LectorDat, EscribePrimeraLineaYCabecera) {
    const Bytes b = pequeno({"x SamplingRate= 1"});
    testing::internal::CaptureStdout();
    leerDat(b);
    const std::string salida = testing::internal::GetCapturedStdout();
    const std::string cab = cabeceraDat(2, 1, {"x SamplingRate= 1"});
    EXPECT_EQ(salida, cab.substr(0, cab.find("\r\n")) + "\n" + cab + "\n");
}

TEST(LectorDat, RutaConAcentosSeAbre) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta.escribir("señal_ñandú.dat", pequeno({"x SamplingRate= 1"}));
    DatFileReader lector;
    const EEG e = lector.leer(ruta);
    EXPECT_EQ(lector.motivoFallo(), "");
    EXPECT_EQ(e.numeroMuestras, 3);
}

TEST(LectorDat, ArchivoYMemoriaDanLoMismo) {
    prueba::CarpetaTemporal carpeta;
    const Bytes b = pequeno({"x SamplingRate= 1"});
    DatFileReader lector;
    const EEG a = lector.leer(carpeta.escribir("a.dat", b));
    const EEG m = leerDat(b);
    EXPECT_TRUE(arma::approx_equal(a.datos(), m.datos(), "absdiff", 0.0));
    // The same reader can read again, and a failure does not linger.
    lector.leer("/no/existe.dat");
    EXPECT_FALSE(lector.motivoFallo().empty());
    lector.leerMemoria(b.data(), b.size());
    EXPECT_EQ(lector.motivoFallo(), "");
}
