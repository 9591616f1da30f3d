#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "io/GdfFileReader.h"
#include "io/escritorGDF.h"
#include "io/guardarRama.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

namespace fs = std::filesystem;
using prueba::textoDeArchivo;

namespace {

// Three channels (one label longer than the GDF field, one with a quote) and
// two event kinds, one on the first sample and one on the last.
EEG rama(int32_t modo) {
    EEG e(500, 3, 6);
    (*e.canales)[0].etiqueta = "Fp1";
    (*e.canales)[1].etiqueta = "C\"z";
    (*e.canales)[2].etiqueta = "una etiqueta larga de mas de 16";
    e.matrices[0] = {{0.1, -1.5, 2.25, 1e6, -3.0, 0.0}, {7, 8, 9, 10, 11, 12}, {1e-300, 123456789.125, -0.0, 4e-3, 5, 6}};
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = modo;
    const int32_t posiciones[] = {0, 2, 5}, tipos[] = {768, 1, 768};
    for (int i = 0; i < 3; ++i)
        fijarEvento(*e.tablaEventos, Evento{tipos[i], posiciones[i], 1, modo == 3 ? i : 0, modo == 3 ? 10 * i : 0}, i);
    e.tablaEventos->numeroEventos = 3;
    return e;
}

std::string gdf(const EEG& e) {
    std::ostringstream s;
    escribirGDF(e, s);
    return s.str();
}

EEG releido(const EEG& e) {
    const std::string b = gdf(e);
    return prueba::leerBytes<GdfFileReader>(prueba::Bytes(b.begin(), b.end()));
}

template <class T>
T en(const std::string& b, size_t desplazamiento) {
    T v;
    std::memcpy(&v, b.data() + desplazamiento, sizeof v);
    return v;
}

}  // namespace

TEST(GuardarRama, CSVConPrecisionCompleta) {
    prueba::CarpetaTemporal t;
    const EEG e = rama(1);
    const std::string ruta = t.ruta() + "/rama.CSV";
    guardarRama(e, ruta);
    const std::string texto = textoDeArchivo(ruta);
    EXPECT_EQ(texto.substr(0, texto.find('\n')), "\"Fp1\",\"C\"\"z\",\"una etiqueta larga de mas de 16\"");
    arma::mat leida;
    arma::field<std::string> cabecera;
    ASSERT_TRUE(leida.load(arma::csv_name(ruta, cabecera, arma::csv_opts::with_header)));
    EXPECT_TRUE(arma::approx_equal(leida.t(), e.datos(), "absdiff", 0.0));  // every value reads back to the same double
}

// GDF 2.20: fixed header, one 256-byte header per channel (fields as arrays
// over the channels), no header extension when no kind needs a description.
TEST(GuardarRama, CabeceraGDF) {
    const std::string b = gdf(rama(1));
    const size_t canales = 3, tabla = 256 * 4 + 6 * 3 * 4;
    ASSERT_EQ(b.size(), tabla + 8 + 3 * 6);  // headers, 6 records of 3 floats, 3 events
    EXPECT_EQ(b.substr(0, 8), "GDF 2.20");
    EXPECT_EQ(en<uint16_t>(b, 184), 4u);    // header length in 256-byte blocks
    EXPECT_EQ(en<int64_t>(b, 236), 6);      // records
    EXPECT_EQ(en<uint32_t>(b, 244), 1u);    // record duration 1 / 500 s
    EXPECT_EQ(en<uint32_t>(b, 248), 500u);
    EXPECT_EQ(en<uint16_t>(b, 252), 3u);
    EXPECT_EQ(b.substr(256, 16), "Fp1             ");
    EXPECT_EQ(b.substr(256 + canales * (16 + 80), 6), "uV    ");  // no unit given: microvolts
    EXPECT_EQ(en<uint16_t>(b, 256 + canales * (16 + 80 + 6)), 4275u);  // its ISO 11073 code
    const size_t rangos = 256 + canales * (16 + 80 + 6 + 2);
    for (size_t c = 0; c < canales; ++c) {
        const double pmax = en<double>(b, rangos + 8 * (canales + c));
        EXPECT_EQ(en<double>(b, rangos + 8 * c), -pmax);
        EXPECT_EQ(pmax, en<double>(b, rangos + 8 * (3 * canales + c)));  // physical = digital
        EXPECT_GE(pmax, arma::abs(rama(1).datos().row(c)).max());
    }
    EXPECT_EQ(en<uint32_t>(b, 256 + canales * (16 + 80 + 6 + 2 + 8 * 4 + 68 + 12)), 1u);       // samples per record
    EXPECT_EQ(en<uint32_t>(b, 256 + canales * (16 + 80 + 6 + 2 + 8 * 4 + 68 + 12 + 4)), 16u);  // float32
    EXPECT_EQ(en<float>(b, 256 * 4 + 4 * (3 + 2)), 123456789.125f);                            // record 1, channel 2
    EXPECT_EQ(static_cast<uint8_t>(b[tabla]), 1);
    EXPECT_EQ(en<uint32_t>(b, tabla) >> 8, 3u);  // 24-bit event count
    EXPECT_EQ(en<float>(b, tabla + 4), 500.0f);  // the positions' rate
    EXPECT_EQ(en<uint32_t>(b, tabla + 8), 1u);   // column 0 is GDF position 1
    EXPECT_EQ(en<uint32_t>(b, tabla + 16), 6u);
    EXPECT_EQ(en<uint16_t>(b, tabla + 20), 768u);  // (768, 1) keeps its number as its code
}

// Kinds that are not (tipo, 1) take free user codes described in the header
// extension's tag 1 as "tipo.calificador nombre"; a named (tipo, 1) is
// described by its name alone, which BioSig and MNE show as it is.
TEST(GuardarRama, ExtensionGDFDescribeLasClases) {
    EEG e = rama(1);
    e.tablaEventos->eventos[1].calificador = 2;  // (1, 2) at column 2
    e.tablaEventos->textos[{1, 2}] = "R  1";
    e.tablaEventos->textos[{768, 1}] = "inicio";  // beyond 255: not described
    const std::string b = gdf(e);
    EXPECT_EQ(en<uint16_t>(b, 184), 5u);  // one block of extension
    const std::string valor = "\0" "1.2 R  1" "\0";
    EXPECT_EQ(b.substr(256 * 4, 4), std::string("\x01\x0A\x00\x00", 4));  // tag 1, 10 bytes
    EXPECT_EQ(b.substr(256 * 4 + 4, valor.size()), valor);
    const size_t tabla = 256 * 5 + 6 * 3 * 4;
    EXPECT_EQ(en<uint16_t>(b, tabla + 8 + 3 * 4 + 2), 1u);  // the first free code
    const EEG l = releido(e);
    ASSERT_EQ(l.tablaEventos->eventos.size(), 3u);
    EXPECT_EQ(l.tablaEventos->eventos[1].tipo, 1);
    EXPECT_EQ(l.tablaEventos->eventos[1].calificador, 2);
    EXPECT_EQ(nombreTipo(*l.tablaEventos, l.tablaEventos->eventos[1]), "1.2 (R  1)");
    EXPECT_EQ(nombreTipo(*l.tablaEventos, l.tablaEventos->eventos[0]), "768.1");
}

TEST(GuardarRama, GDFSeLeeConNuestroLectorIgualAPrecisionFloat) {
    for (int32_t modo : {1, 3}) {
        const EEG e = rama(modo), l = releido(e);
        EXPECT_EQ(l.frecuenciaMuestreo, 500);
        const arma::mat comoFloat = arma::conv_to<arma::mat>::from(arma::conv_to<arma::fmat>::from(e.datos()));
        EXPECT_TRUE(arma::approx_equal(l.datos(), comoFloat, "absdiff", 0.0));
        EXPECT_EQ((*l.canales)[2].etiqueta, "una etiqueta lar");
        // The events themselves go through every writer in conversion_eventos_test.cpp.
        EXPECT_EQ(l.tablaEventos->modo, modo);
    }
    EEG raro(100, 1, 3);
    raro.matrices[0] = {{std::nan(""), 1e300, -INFINITY}};
    const EEG l = releido(raro);
    EXPECT_TRUE(std::isnan(l.datos()(0, 0)));
    EXPECT_TRUE(std::isinf(l.datos()(0, 1)));  // beyond float range
}

TEST(GuardarRama, UnFalloNoDejaArchivoAMedias) {
    prueba::CarpetaTemporal t;
    EXPECT_THROW(guardarRama(EEG(), t.ruta() + "/vacio.gdf"), std::runtime_error);
    EEG sinFrecuencia = rama(1);
    sinFrecuencia.frecuenciaMuestreo = 0;
    EXPECT_THROW(guardarRama(sinFrecuencia, t.ruta() + "/x.gdf"), std::exception);
    EXPECT_THROW(guardarRama(rama(1), t.ruta() + "/no/existe/x.csv"), std::runtime_error);
    // EDFlib writes the temporary file beside the destination: its failure
    // must name the file the user chose, never the temporary one.
    const std::string destino = t.ruta() + "/no/existe/x.edf";
    const std::string texto = prueba::rechazo<std::runtime_error>([&] { guardarRama(rama(1), destino); });
    EXPECT_TRUE(prueba::contiene(texto, "\"" + destino + "\""));
    EXPECT_FALSE(prueba::contiene(texto, ".tmp-"));
    EXPECT_TRUE(fs::is_empty(t.ruta()));  // neither the file nor a temporary remains
    // An existing file is replaced whole, never truncated on failure.
    const std::string previo = t.escribir("previo.gdf", std::string("contenido previo"));
    EXPECT_THROW(guardarRama(sinFrecuencia, previo), std::exception);
    EXPECT_EQ(textoDeArchivo(previo), "contenido previo");
}

// The save dialog's list: every format guardarRama writes, each extension
// naming its own.
TEST(FormatosSalida, CadaExtensionOfrecidaEsSuFormato) {
    const auto& formatos = formatosGuardado();
    ASSERT_EQ(formatos.size(), 5u);
    for (const FormatoOfrecido& f : formatos)
        EXPECT_EQ(formatoPorExtension(std::string("rama.") + f.extension), f.formato) << f.extension;
    for (const FormatoSalida s :
         {FormatoSalida::GDF, FormatoSalida::CSV, FormatoSalida::BIN, FormatoSalida::EDF, FormatoSalida::BDF})
        EXPECT_EQ(std::count_if(formatos.begin(), formatos.end(), [&](const FormatoOfrecido& f) { return f.formato == s; }),
                  1);
}
