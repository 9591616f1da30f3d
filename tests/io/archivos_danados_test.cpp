// Damaged sample recordings, each built from p300_8ch.gdf or p300_8ch.dat by
// a few byte changes: what is refused, what is read with a warning.
// p300_8ch.gdf: 8 channels, header 2304 bytes, 56840 one-sample records of
// int16 (16 bytes each), event table at byte 911744 (720 events, mode 1).
#include <gtest/gtest.h>

#include "io/DatFileReader.h"
#include "io/GdfFileReader.h"
#include "io/textoCabecera.h"
#include "tests/io/archivosPrueba.h"

using prueba::Bytes;
using prueba::conValor;
using prueba::Lectura;

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";
constexpr size_t tablaGdf = 911744;
constexpr size_t muestrasPorRegistroGdf = 1984, tipoDatoGdf = 2016;  // per-channel header arrays

const Bytes& gdf() {
    static const Bytes b = prueba::bytesDeArchivo(datos + "p300_8ch.gdf");
    return b;
}
const Bytes& dat() {
    static const Bytes b = prueba::bytesDeArchivo(datos + "p300_8ch.dat");
    return b;
}

Lectura leerGdf(const Bytes& b) { return prueba::leerLectura<GdfFileReader>(b); }
Lectura leerDat(const Bytes& b) { return prueba::leerLectura<DatFileReader>(b); }

template <typename T>
Bytes todosLosCanales(Bytes b, size_t arreglo, T valor) {
    for (size_t c = 0; c < 8; ++c) b = conValor(b, arreglo + c * sizeof(T), valor);
    return b;
}

bool contiene(const std::string& texto, const std::string& parte) { return texto.find(parte) != std::string::npos; }

}  // namespace

// Each damage, what is read: the samples (-1: refused, 0: not checked), the events, the
// table's mode when it is read (-1: not checked) and the words of the reason
// or of the warnings.
TEST(ArchivosDanados, GdfDanadosSeRechazanOSeLeenConAviso) {
    const auto conVersion = [](const std::string& v) {
        Bytes b = gdf();
        std::copy(v.begin(), v.end(), b.begin());
        return b;
    };
    const struct {
        const char* nombre;
        Bytes bytes;
        int64_t muestras;
        size_t eventos;
        int modo;
        std::vector<std::string> textos;
    } casos[] = {
        {"sin datos", Bytes(gdf().begin(), gdf().begin() + 2304), -1, 0, -1, {"ninguna muestra completa"}},
        // (5000 - 2304) / 16 = 168 whole records of 8 int16 values, and no events.
        {"cortado a 5000 bytes",
         Bytes(gdf().begin(), gdf().begin() + 5000),
         168,
         0,
         -1,
         {"se leyeron 168 de las 56840 muestras"}},
        // 32-byte records: 913768 / 32 = 28555 whole records of 2 samples.
        {"dos muestras por registro", todosLosCanales<uint32_t>(gdf(), muestrasPorRegistroGdf, 2), 57110, 0, -1,
         {"se leyeron 57110 de las 113680 muestras"}},
        {"float32", todosLosCanales<uint32_t>(gdf(), tipoDatoGdf, 16), 28555, 0, -1,
         {"se leyeron 28555 de las 56840 muestras", "Falta la tabla de eventos"}},
        // The table is then looked for 16 bytes into itself, where byte 0 is 137.
        {"un registro de más", conValor<int64_t>(gdf(), 236, 56841), 0, 0, 1, {"modo desconocido (137)"}},
        // Not 720 events of type 0 at position -1.
        {"solo la cabecera de la tabla", Bytes(gdf().begin(), gdf().begin() + tablaGdf + 8), 56840, 0, -1,
         {"declara 720 eventos, pero el archivo solo tiene sitio para 0"}},
        {"modo desconocido", conValor<uint8_t>(gdf(), tablaGdf, 255), 56840, 0, 1, {"modo desconocido (255)"}},
        {"versión 0.00", conVersion("GDF 0.00"), -1, 0, -1, {"versión"}},
        {"versión 1.xx", conVersion("GDF 1.xx"), -1, 0, -1, {"versión"}},
        {"versión con NUL", conVersion(std::string("GDF 1.2\0", 8)), -1, 0, -1, {"versión"}},
        {"8.6 MHz", conValor<uint32_t>(gdf(), 248, 8600000u), -1, 0, -1, {"8600000 Hz", "1 MHz"}},
        {"1 GHz", conValor<uint32_t>(gdf(), 248, 1000000000u), -1, 0, -1, {"1000000000 Hz", "1 MHz"}},
    };
    for (const auto& c : casos) {
        const Lectura r = leerGdf(c.bytes);
        const std::string& texto = c.muestras < 0 ? r.motivo : r.avisos;
        EXPECT_EQ(r.rechazado(), c.muestras < 0) << c.nombre;
        if (c.muestras > 0) EXPECT_EQ(r.eeg.numeroMuestras, c.muestras) << c.nombre;
        EXPECT_EQ(r.eventos(), c.eventos) << c.nombre;
        if (c.modo >= 0) EXPECT_EQ(r.eeg.tablaEventos->modo, c.modo) << c.nombre;
        for (const std::string& t : c.textos) EXPECT_TRUE(contiene(texto, t)) << c.nombre << ": " << texto;
    }
}

TEST(ArchivosDanados, GdfCuentaDeEventosExcesivaSeCortaALoQueCabe) {
    const Lectura real = leerGdf(gdf());
    for (uint32_t cuenta : {50000u, 721u}) {
        const Lectura r = leerGdf(conValor<uint32_t>(gdf(), tablaGdf + 4, cuenta));
        ASSERT_EQ(r.eventos(), 720u) << cuenta;
        EXPECT_EQ(r.eeg.tablaEventos->eventos[719].posicion, real.eeg.tablaEventos->eventos[719].posicion);
        EXPECT_EQ(r.eeg.tablaEventos->eventos[719].tipo, real.eeg.tablaEventos->eventos[719].tipo);
        EXPECT_TRUE(contiene(r.avisos, "declara " + std::to_string(cuenta) + " eventos")) << r.avisos;
    }
}

TEST(ArchivosDanados, GdfModo3SinCanalesNiDuracionesSeLeeComoModo1) {
    const Lectura r = leerGdf(conValor<uint8_t>(gdf(), tablaGdf, 3));
    ASSERT_EQ(r.eventos(), 720u);
    EXPECT_EQ(r.eeg.tablaEventos->modo, 1);
    EXPECT_EQ(r.eeg.tablaEventos->eventos[0].posicion, 2312);
    EXPECT_EQ(r.eeg.tablaEventos->eventos[0].tipo, 6);
    EXPECT_EQ(r.eeg.tablaEventos->eventos[0].duracion, 0);
    EXPECT_TRUE(contiene(r.avisos, "modo 3")) << r.avisos;
}

TEST(ArchivosDanados, EtiquetaConUTF8InvalidoSeSanea) {
    // Label bytes 2-4 of channel 1 ("Fz" + blanks) replaced by a surrogate,
    // an overlong "/" and a code point above U+10FFFF.
    for (const std::string malo : {"\xED\xA0\x80", "\xC0\xAF", "\xF4\x90\x80\x80"}) {
        Bytes b = gdf();
        std::copy(malo.begin(), malo.end(), b.begin() + 256 + 2);
        const std::string etiqueta = (*leerGdf(b).eeg.canales)[0].etiqueta;
        EXPECT_TRUE(esUTF8Valido(etiqueta));
        EXPECT_EQ(etiqueta.substr(0, 5), "Fz\xEF\xBF\xBD");
    }
    EXPECT_EQ(utf8Saneado("a\xC0\xAF" "b\xC3\xA9"), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b\xC3\xA9");
    EXPECT_EQ(utf8Saneado("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut at the end
    EXPECT_TRUE(esUTF8Valido("\xF4\x8F\xBF\xBF"));  // U+10FFFF itself
}

// Each change of the .dat header and the words of its refusal.
TEST(ArchivosDanados, DatCabecerasMalasSeRechazanNombrandoLoMalo) {
    const std::string parametros = "[ Parameter Definition ] \r\n";
    const struct {
        std::string viejo, nuevo;
        std::vector<std::string> textos;
    } casos[] = {
        {parametros, parametros + "x string DataFormat= foo\r\n", {"«foo»"}},
        {parametros, parametros + "x string DataFormat= float64\r\n", {"«float64»"}},
        {parametros, parametros + "x string DataFormat= Int16\r\n", {"«Int16»"}},
        {parametros, parametros + "x string DataFormat= %\r\n", {"«%»"}},
        // "DataFormat=" with no value on the first line is not int16 by default.
        {"StatevectorLen= 36", "StatevectorLen= 36 DataFormat=", {"DataFormat= no tiene valor"}},
        {"SamplingRate= 256 ", "SamplingRate= 256.5 ", {"entero"}},
        {"SamplingRate= 256 ", "SamplingRate= 256abc ", {"no es un número"}},
        {"SamplingRate= 256 ", "SamplingRate= 2147483648 ", {"demasiado grande"}},
        {"SamplingRate= 256 ", "SamplingRate= 0 ", {"mayor que 0"}},
        // The rate is missing, not the 512 Hz of the default column.
        {"SamplingRate= 256 256Hz", "SamplingRate= % 512Hz", {"SamplingRate="}},
        // SourceCh= 8 on the first line, 4 in the parameter.
        {"SourceCh= 8 16", "SourceCh= 4 16", {"SourceCh= 4", "SourceCh= 8"}},
        {" StatevectorLen= 36", "", {"StatevectorLen="}},
        {parametros,
         parametros + "System int StateVectorLength= 40 16 % % //\r\n",
         {"StateVectorLength= 40", "StatevectorLen= 36"}},
    };
    for (const auto& c : casos) {
        const Lectura r = leerDat(prueba::cambiarCabeceraDat(dat(), c.viejo, c.nuevo));
        EXPECT_TRUE(r.rechazado()) << c.nuevo;
        for (const std::string& t : c.textos) EXPECT_TRUE(contiene(r.motivo, t)) << c.nuevo << ": " << r.motivo;
    }
}

TEST(ArchivosDanados, DatCabecerasRarasSeLeen) {
    for (auto [valor, hz] : {std::pair{"1kHz", 1000}, {"1e3", 1000}, {"2.56e2", 256}, {"512Hz", 512}}) {
        const std::string frecuencia = std::string("SamplingRate= ") + valor + " ";
        const Lectura r = leerDat(prueba::cambiarCabeceraDat(dat(), "SamplingRate= 256 ", frecuencia));
        EXPECT_EQ(r.eeg.frecuenciaMuestreo, hz) << valor << ": " << r.motivo;
    }
    // A parameter too short for the defined states (they reach byte 36) is
    // the stale one, as in motor_64ch.dat: read with the first line's.
    Lectura r = leerDat(
        prueba::cambiarCabeceraDat(dat(), "[ Parameter Definition ] \r\n",
                                   "[ Parameter Definition ] \r\nSystem int StateVectorLength= 30 16 % % //\r\n"));
    EXPECT_EQ(r.eeg.numeroMuestras, 56840);
    // Percent escapes are decoded.
    Bytes b = prueba::cambiarCabeceraDat(dat(), "ChannelNames= 8 Fz ", "ChannelNames= 8 F%20z ");
    r = leerDat(prueba::cambiarCabeceraDat(b, "SubjectName= PXB ", "SubjectName= P%C3%A9rez%20X "));
    EXPECT_EQ((*r.eeg.canales)[0].etiqueta, "F z");
    EXPECT_EQ(r.eeg.sujeto, "Pérez X");
}
