// BCI2000 .dat reader on small files written here; the real recordings are
// read in lector_fabrica_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>

#include "io/DatFileReader.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

using prueba::Bytes;
using prueba::cabeceraDat;

namespace {

EEG leerDat(const Bytes& b, std::string* motivo = nullptr) { return prueba::leerBytes<DatFileReader>(b, motivo); }

// Two channels, one byte of state vector, three samples.
Bytes pequeno(const std::vector<std::string>& parametros) {
    return prueba::archivoDat(2, 1, parametros, {{1, -1}, {300, -300}, {32767, -32768}});
}

// The text's bytes, padded with blanks to `largo` (a header of that HeaderLen=).
Bytes bytes(std::string s, size_t largo = 0) {
    s.resize(std::max(largo, s.size()), ' ');
    return Bytes(s.begin(), s.end());
}

// `cabecera` with its "HeaderLen= 0000" set to its length, as bytes.
Bytes conLongitud(std::string cabecera) {
    const std::string largo = std::to_string(cabecera.size());
    cabecera.replace(cabecera.find("0000"), 4, std::string(4 - largo.size(), '0') + largo);
    return Bytes(cabecera.begin(), cabecera.end());
}

// One int16 channel and a state vector of `bytesEstado` bytes holding a
// `bits`-bit StimulusCode from bit `desde` of byte 0; one sample per state.
Bytes datConCodigos(int bits, int bytesEstado, const std::vector<uint64_t>& estados, int desde = 0) {
    Bytes b = conLongitud("HeaderLen= 0000 SourceCh= 1 StatevectorLen= " + std::to_string(bytesEstado) +
                          "\r\n[ State Vector Definition ]\r\nStimulusCode " + std::to_string(bits) + " 0 0 " +
                          std::to_string(desde) + "\r\n[ Parameter Definition ]\r\nx int SamplingRate= 256\r\n\r\n");
    for (size_t s = 0; s < estados.size(); ++s) {
        prueba::anadirValor<int16_t>(b, static_cast<int16_t>(s % 1000));
        for (int k = 0; k < bytesEstado; ++k) b.push_back(static_cast<uint8_t>(estados[s] >> (8 * k)));
    }
    return b;
}

}  // namespace

TEST(LectorDat, FormatosDeDatos) {
    // Without DataFormat= the samples are int16, the format's default.
    const EEG e = leerDat(pequeno({"x int SamplingRate= 256Hz"}));
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{1, 300, 32767}, {-1, -300, -32768}}, "absdiff", 0.0));
    for (const std::string formato : {"int32", "float32"}) {
        Bytes b = bytes(cabeceraDat(1, 2, {"x string DataFormat= " + formato, "x int SamplingRate= 100"}));
        if (formato == "int32") prueba::anadirValor<int32_t>(b, -70000);
        else prueba::anadirValor<float>(b, 2500.5f);
        b.insert(b.end(), 2, 0);
        const EEG f = leerDat(b);
        ASSERT_EQ(f.numeroMuestras, 1) << formato;
        EXPECT_EQ(f.datos()(0, 0), formato == "int32" ? -70000.0 : 2500.5) << formato;
    }
}

TEST(LectorDat, MuestrasSegunTamanoYVectorDeEstado) {
    // 10000 bytes, header 1000, 8 int16 channels and 3 bytes of state:
    // (10000 - 1000) / 19 = 473 samples; the last 13 bytes are not read.
    Bytes b = bytes("HeaderLen= 1000 SourceCh= 8 StatevectorLen= 3\r\nx SamplingRate= 256\r\n", 1000);
    b.resize(10000, 0);
    std::string avisos;
    EXPECT_EQ(prueba::leerBytes<DatFileReader>(b, nullptr, &avisos).numeroMuestras, 473);
    EXPECT_NE(avisos.find("se leyeron 473 de las 474 muestras"), std::string::npos) << avisos;
    const EEG e = leerDat(prueba::archivoDat(1, 5, {"x SamplingRate= 10"}, {{7}, {8}, {9}}));
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{7, 8, 9}}, "absdiff", 0.0));
}

TEST(LectorDat, ParametrosDeLaCabecera) {
    for (auto [linea, frecuencia] :
         {std::pair{"Source:Signal%20Properties:DataIOFilter int SamplingRate= 512Hz 256Hz 1 % // SamplingRate= 9", 512},
          {"x int SamplingRate= 256.0Hz", 256}, {"x int SamplingRate= 160 128 1 4000", 160}})
        EXPECT_EQ(leerDat(pequeno({linea})).frecuenciaMuestreo, frecuencia) << linea;
    const std::string r = "a SamplingRate= 1";
    using Registro = std::pair<std::vector<std::string>, std::string>;  // parameter lines, session-run
    for (const auto& [lineas, identificacion] : {Registro{{r, "b SubjectSession= 001", "c SubjectRun= 02"}, "001-02"},
                                                 Registro{{r, "c SubjectRun= 02", "b SubjectSession= 001"}, "001-02"},
                                                 Registro{{r, "c SubjectRun= %"}, "-"},
                                                 Registro{{r, "b SubjectSession= 1", "c SubjectRun= 2", "c SubjectRun= 3"}, "1-2-3"}})
        EXPECT_EQ(leerDat(pequeno(lineas)).identificacionRegistro, identificacion);
    // A comment ends the line; "%" is an empty value.
    EXPECT_EQ(leerDat(pequeno({"x SamplingRate= 100 // SubjectName= otro", "y SubjectName= PXB % // z"})).sujeto, "PXB");
    EXPECT_EQ(leerDat(pequeno({r, "b SubjectName= %", "c StorageTime= %"})).fechaRegistro, "");
    const EEG e = leerDat(pequeno({r, "x list ChannelNames= 1 Cz // comentario", "x NumberOfTrials= 4 a b"}));
    EXPECT_EQ((*e.canales)[0].etiqueta, "Cz");
    EXPECT_EQ((*e.canales)[1].etiqueta, "");
    for (const Canal& c : *e.canales) {
        EXPECT_EQ(c.unidad, "");  // A/D units: the header gives no gains
        EXPECT_EQ(c.muestrasPorRegistro, 4u);
        EXPECT_EQ(c.tipoDato, 3u);
    }
}

TEST(LectorDat, GananciasYDesplazamientosDanMicrovoltios) {
    // (raw - offset) x gain: (1 - 1) x 0.5 = 0, (300 - 1) x 0.5 = 149.5; channel 2: (-1 + 2) x 0.25 = 0.25 ...
    std::string avisos;
    const EEG e = prueba::leerBytes<DatFileReader>(
        pequeno({"x SamplingRate= 1", "x floatlist SourceChGain= 2 0.5 250e-3muV 0 % % // A/D -> muV",
                 "x floatlist SourceChOffset= 2 1 -2"}),
        nullptr, &avisos);
    EXPECT_EQ(avisos, "");
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{0, 149.5, 16383}, {0.25, -74.5, -8191.5}}, "absdiff", 0.0))
        << e.datos();
    EXPECT_EQ((*e.canales)[1].unidad, "uV");
}

TEST(LectorDat, SinGananciasValidasQuedaEnUnidadesDelConversorYAvisa) {
    for (const std::vector<std::string>& lineas :
         {std::vector<std::string>{}, {"x SourceChGain= 2 0.5 0.5"}, {"x SourceChGain= 1 0.5", "x SourceChOffset= 1 0"},
          {"x SourceChGain= 2 0.5 %", "x SourceChOffset= 2 0 0"}, {"x SourceChGain= 2 0.5 1furlong", "x SourceChOffset= 2 0 0"},
          {"x SourceChGain= 2 0.5 0.5", "x SourceChOffset= 3 0 0 0"}}) {
        std::vector<std::string> parametros = lineas;
        parametros.push_back("x SamplingRate= 1");
        std::string avisos;
        const EEG e = prueba::leerBytes<DatFileReader>(pequeno(parametros), nullptr, &avisos);
        EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{1, 300, 32767}, {-1, -300, -32768}}, "absdiff", 0.0))
            << parametros[0];
        EXPECT_NE(avisos.find("unidades del conversor A/D"), std::string::npos) << avisos;
        EXPECT_EQ((*e.canales)[0].unidad, "");
    }
}

TEST(LectorDat, PrimeraLineaHastaElPrimerCRLF) {
    // A lone LF does not end the first line: HeaderLen= is found after it.
    Bytes b = bytes("x\nHeaderLen= 0080 SourceCh= 1 StatevectorLen= 0\r\nSamplingRate= 9\r\n", 80);
    prueba::anadirValor<int16_t>(b, 5);
    const EEG e = leerDat(b);
    EXPECT_EQ(e.frecuenciaMuestreo, 9);
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat(1, 1, arma::fill::value(5.0)), "absdiff", 0.0));
    // The first line, then the whole header, go to standard output.
    const std::vector<std::string> parametros = {"x SamplingRate= 1", "x SourceChGain= 2 1 1", "x SourceChOffset= 2 0 0"};
    const std::string c2 = cabeceraDat(2, 1, parametros);
    EXPECT_EQ(prueba::capturar([&] { leerDat(pequeno(parametros)); }).salida,
              c2.substr(0, c2.find("\r\n")) + "\n" + c2 + "\n");
}

TEST(LectorDat, CabecerasMalasSeRechazanSinReservar) {
    std::string cuatroCanales = cabeceraDat(4, 0, {"x SamplingRate= 1"});
    cuatroCanales.append(7, '\1');  // channels, but not one whole sample
    struct Caso {
        Bytes archivo;
        std::string fragmento;
    };
    std::vector<Caso> casos = {
        {bytes("HeaderLen= 40 SourceCh= 1 StatevectorLen= 0\nSamplingRate= 1\n"), "CR LF"},
        {Bytes(), ""},
        {prueba::archivoDat(0, 0, {"x SamplingRate= 1"}, {}), ""},
        {bytes(cuatroCanales), "muestra"},
        {pequeno({"x SamplingRate= 1", "x SourceCh= 4000000000000"}), ""},
        {pequeno({"x SamplingRate= 1", "x SourceCh= 99999999999999999999999"}), "SourceCh="},
    };
    for (const char* linea : {"x SamplingRate= Hz", "x SamplingRate= abc", "x SamplingRate= 0Hz", "x SamplingRate= -256Hz",
                              "x SamplingRate= 99999999999999999999999Hz", "x SamplingRate= 4294967296Hz", "x nada"})
        casos.push_back({pequeno({linea}), "frecuencia"});
    for (const char* texto : {"SourceCh= 1 StatevectorLen= 0\r\n", "HeaderLen= x\r\n", "HeaderLen= 9999 SourceCh= 1\r\n",
                              "HeaderLen= -5\r\n", "HeaderLen=\r\n"})
        casos.push_back({bytes(texto), "HeaderLen="});
    for (const Caso& c : casos) {
        std::string motivo;
        const EEG e = leerDat(c.archivo, &motivo);
        EXPECT_TRUE(e.numeroCanales == 0 && e.matrices.empty()) << motivo;
        EXPECT_FALSE(motivo.empty());
        EXPECT_NE(motivo.find(c.fragmento), std::string::npos) << motivo;
    }
}

TEST(LectorDat, ParametrosIlegiblesQueNoOrdenanLosDatosSeIgnoran) {
    // "%" is BCI2000's empty value; ChannelNames= naming more channels than
    // there are keeps the first ones and says so.
    std::string avisos;
    const EEG e = prueba::leerBytes<DatFileReader>(
        pequeno({"x SamplingRate= 1", "x int NumberOfTrials= %", "x list ChannelNames= 3 A B C",
                 "x int SampleBlockSize= abc", "x list ChannelNames= x", "x string SubjectName= %"}),
        nullptr, &avisos);
    ASSERT_EQ(e.numeroCanales, 2u);
    EXPECT_EQ((*e.canales)[1].etiqueta, "B");
    EXPECT_EQ((*e.canales)[0].muestrasPorRegistro, 0u);
    EXPECT_NE(avisos.find("ChannelNames= nombra 3 canales"), std::string::npos) << avisos;
}

TEST(LectorDat, PrimeraLineaDeLaVersion1_1) {
    // "BCI2000V= 1.1" first, and the data format on the first line.
    Bytes b = conLongitud("BCI2000V= 1.1 HeaderLen= 0000 SourceCh= 1 StatevectorLen= 1 DataFormat= float32\r\n"
                          "[ State Vector Definition ]\r\nRunning 1 0 0 0\r\n[ Parameter Definition ]\r\n"
                          "x int SamplingRate= 256Hz // r\r\nx int NumberOfTrials= % // t\r\n\r\n");
    prueba::anadirValor<float>(b, 1.5f);
    b.push_back(0);
    std::string motivo;
    const EEG e = leerDat(b, &motivo);
    EXPECT_EQ(motivo, "");
    ASSERT_EQ(e.numeroMuestras, 1);
    EXPECT_EQ(e.datos()(0, 0), 1.5);
    EXPECT_EQ(e.frecuenciaMuestreo, 256);
}

TEST(LectorDat, EventosDelEstadoStimulusCode) {
    // A 5-bit StimulusCode from bit 3 of byte 0 of a 2-byte state vector:
    // codes 0 3 3 0 5 7 0 give events of type 3 at sample 1 and 5 at 4.
    std::vector<uint64_t> estados;
    for (uint64_t codigo : {0, 3, 3, 0, 5, 7, 0}) estados.push_back(codigo << 3 | 0x7);  // the bits around it are set
    const EEG e = leerDat(datConCodigos(5, 2, estados, 3));
    ASSERT_TRUE(e.tieneEventos());
    const TablaEventos& t = *e.tablaEventos;
    EXPECT_EQ(t.modo, 1);
    ASSERT_EQ(t.eventos.size(), 2u);
    EXPECT_EQ(std::make_pair(t.eventos[0].tipo, t.eventos[0].posicion), std::make_pair(3, 1));
    EXPECT_EQ(std::make_pair(t.eventos[1].tipo, t.eventos[1].posicion), std::make_pair(5, 4));
    EXPECT_EQ(t.eventos[1].calificador, 1);
    EXPECT_FALSE(leerDat(pequeno({"x SamplingRate= 1"})).tieneEventos());  // no StimulusCode state
}

// A long recording is decoded in blocks, on two threads: a code held across
// a block's start is one event, a code turning on exactly at a block's start
// is one, and samples keep their order (the channel counts 0..999 over and
// over).
TEST(LectorDat, EventosYMuestrasEntreBloques) {
    std::vector<uint64_t> codigos(300000, 0);
    for (size_t s = 65530; s < 65546; ++s) codigos[s] = 9;  // 65536 samples of 4 bytes fill a 256 KiB block
    for (size_t s = 131072; s < 131080; ++s) codigos[s] = 4;
    for (size_t s = 296000; s < codigos.size(); ++s) codigos[s] = 6;
    const EEG e = leerDat(datConCodigos(16, 2, codigos));
    ASSERT_EQ(e.numeroMuestras, 300000);
    for (arma::uword s : {0u, 65535u, 65536u, 131071u, 131072u, 299999u})
        EXPECT_EQ(e.datos()(0, s), static_cast<double>(s % 1000)) << s;
    ASSERT_TRUE(e.tieneEventos());
    const auto& ev = e.tablaEventos->eventos;
    ASSERT_EQ(ev.size(), 3u);
    const std::pair<int32_t, int32_t> esperado[] = {{65530, 9}, {131072, 4}, {296000, 6}};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(std::make_pair(ev[i].posicion, ev[i].tipo), esperado[i]) << i;
}
