// Recording start dates: each format's field read into a FechaHora, the
// fields the GDF, EDF+ and BDF+ writers put in their headers, and a date
// round trip through them and our readers. The outside check: MNE-Python and
// BioSig's save2gdf read back the date of p300_8ch.dat converted by
// ondelar-cli; tests/data/fechas/generar_referencias.sh ran them once and
// committed what they read (referencias.txt), which the test compares with.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "io/DatFileReader.h"
#include "io/EdfFileReader.h"
#include "io/GdfFileReader.h"
#include "io/fechaHora.h"
#include "io/guardarRama.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

namespace {

using Lector = std::function<std::optional<FechaHora>(std::string_view)>;

struct Caso {
    const char* nombre;
    Lector lector;
    std::string campo;
    const char* iso;  // nullptr: no date
};

const Lector gdf1 = fechaDeGDF1;
const Lector brainVision = fechaDeBrainVision;
const Lector bci2000 = fechaDeBCI2000;
// The EDF date and time fields, then the recording field, joined by "|".
const Lector edf = [](std::string_view t) {
    return fechaDeEDF(t.substr(0, 8), t.substr(9, 8), t.size() > 18 ? t.substr(18) : std::string_view());
};

const std::vector<Caso> casos = {
    {"gdf1", gdf1, "2009030511562400", "2009-03-05T11:56:24"},
    {"gdf1 centesimas", gdf1, "2009030511562437", "2009-03-05T11:56:24.370000"},
    {"gdf1 sin centesimas", gdf1, "20090305115624  ", "2009-03-05T11:56:24"},
    {"gdf1 en blanco", gdf1, std::string(16, ' '), nullptr},
    {"gdf1 ceros", gdf1, std::string(16, '0'), nullptr},
    {"gdf1 29 de febrero", gdf1, "2012022923595900", "2012-02-29T23:59:59"},
    {"gdf1 29 de febrero no bisiesto", gdf1, "2100022900000000", nullptr},
    {"gdf1 texto de BCI2000", gdf1, "Thu Mar 05 11:56", nullptr},
    {"edf 85 es 1985", edf, "05.03.85|11.56.24", "1985-03-05T11:56:24"},
    {"edf 84 es 2084", edf, "31.12.84|23.59.59", "2084-12-31T23:59:59"},
    {"edf 14 es 2014", edf, "29.04.14|22.19.44", "2014-04-29T22:19:44"},
    {"edf+ startdate", edf, "29.04.14|22.19.44|Startdate 29-APR-2014 X X X", "2014-04-29T22:19:44"},
    {"edf+ startdate pasado 2084", edf, "01.01.85|10.00.00|Startdate 02-feb-2090 X", "2090-02-02T10:00:00"},
    {"edf+ anonima", edf, "01.01.85|00.00.00|Startdate X X X X", nullptr},
    {"edf+ startdate ilegible", edf, "29.04.14|22.19.44|Startdate 29-XYZ-2014", "2014-04-29T22:19:44"},
    {"edf hora mala", edf, "29.04.14|22.1x.44", nullptr},
    {"edf mes 13", edf, "29.13.14|22.19.44", nullptr},
    {"brainvision", brainVision, "20190523143015123456", "2019-05-23T14:30:15.123456"},
    {"brainvision ceros", brainVision, std::string(20, '0'), nullptr},
    {"brainvision corto", brainVision, "2019052314301512345", nullptr},
    {"bci2000 ctime", bci2000, "Thu Sep 04 12:59:22 2008", "2008-09-04T12:59:22"},
    {"bci2000 ctime dia con blanco", bci2000, "Thu Sep  4 12:59:22 2008", "2008-09-04T12:59:22"},
    {"bci2000 iso", bci2000, "2008-09-04T12:59:22", "2008-09-04T12:59:22"},
    {"bci2000 iso decimales y Z", bci2000, "2008-09-04T12:59:22.1234567Z", "2008-09-04T12:59:22.123456"},
    {"bci2000 iso con espacio", bci2000, "2008-09-04 12:59:22.5", "2008-09-04T12:59:22.500000"},
    {"bci2000 vacio", bci2000, "", nullptr},
    {"bci2000 mes desconocido", bci2000, "Thu Sex 04 12:59:22 2008", nullptr},
    {"bci2000 iso cortado", bci2000, "2008-09-04T12:59", nullptr},
};

// A branch of 2 channels at 256 Hz, 512 samples, one event at column 300.
EEG ramaConFecha(std::optional<FechaHora> fecha) {
    EEG e(256, 2, 512);
    e.matrices[0].row(0) = arma::linspace<arma::rowvec>(-10, 10, 512);
    e.matrices[0].row(1).fill(3.0);
    for (uint32_t c = 0; c < 2; ++c) (*e.canales)[c].etiqueta = c == 0 ? "Fz" : "Cz";
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = 1;
    fijarEvento(*e.tablaEventos, Evento{4, 300, 1}, 0);
    e.tablaEventos->numeroEventos = 1;
    e.fechaRegistro = "texto del lector de origen";
    e.fechaHora = fecha;
    return e;
}

// Saves `rama` as `nombre` and reads it back with the reader of its format.
EEG guardarYLeer(const EEG& rama, const prueba::CarpetaTemporal& t, const std::string& nombre) {
    const std::string ruta = t.ruta() + "/" + nombre;
    EEG e;
    prueba::capturar([&] {
        guardarRama(rama, ruta);
        if (nombre.ends_with(".gdf")) e = GdfFileReader().leer(ruta);
        else e = EdfFileReader().leer(ruta);
    });
    return e;
}

std::string bytesEn(const std::string& ruta, size_t desde, size_t n) {
    const prueba::Bytes b = prueba::bytesDeArchivo(ruta);
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(desde), b.begin() + static_cast<std::ptrdiff_t>(desde + n));
}

// Microseconds from a FechaHora to another within the same day.
int64_t microsegundosEntre(const FechaHora& a, const FechaHora& b) {
    const auto us = [](const FechaHora& f) {
        return ((int64_t{f.hora} * 60 + f.minuto) * 60 + f.segundo) * 1000000 + f.microsegundos;
    };
    return us(b) - us(a);
}

}  // namespace

TEST(FechaHora, CamposDeCadaFormato) {
    for (const Caso& c : casos) {
        const std::optional<FechaHora> f = c.lector(c.campo);
        if (!c.iso) {
            EXPECT_FALSE(f) << c.nombre << ": " << textoISO8601(*f);
            continue;
        }
        ASSERT_TRUE(f) << c.nombre;
        EXPECT_TRUE(fechaHoraValida(*f)) << c.nombre;
        EXPECT_EQ(textoISO8601(*f), c.iso) << c.nombre;
    }
}

TEST(FechaHora, Gdf2CuentaDiasDesdeElAnioCero) {
    // 1970-01-01 is day 719529 (0000-01-01 is day 1); noon is half a day.
    EXPECT_EQ(valorFechaGDF2({1970, 1, 1, 0, 0, 0, 0}), uint64_t{719529} << 32);
    EXPECT_EQ(valorFechaGDF2({1970, 1, 1, 12, 0, 0, 0}), (uint64_t{719529} << 32) + (uint64_t{1} << 31));
    EXPECT_FALSE(fechaDeGDF2(0));
    // A millisecond time comes back whole; the last millisecond of a day stays in it.
    for (const FechaHora f : {FechaHora{2000, 2, 29, 23, 59, 59, 999000}, FechaHora{1601, 1, 1, 0, 0, 0, 1000},
                              FechaHora{2024, 12, 31, 8, 30, 5, 250000}, FechaHora{9999, 12, 31, 23, 59, 59, 0}}) {
        const std::optional<FechaHora> leida = fechaDeGDF2(valorFechaGDF2(f));
        ASSERT_TRUE(leida) << textoISO8601(f);
        EXPECT_EQ(*leida, f);
    }
}

TEST(FechaHora, CampoGdf1DelEscritor) {
    EXPECT_EQ(campoFechaGDF1(FechaHora{2009, 3, 5, 11, 56, 24, 379999}), "2009030511562437");  // hundredths truncated
    EXPECT_EQ(campoFechaGDF1(std::nullopt), std::string(16, ' '));
    EXPECT_EQ(campoFechaGDF1(FechaHora{2009, 2, 30, 0, 0, 0, 0}), std::string(16, ' '));
}

// The date the writers put in the header comes back from our readers: GDF 2.20
// to the millisecond, EDF+ and BDF+ to 100 µs; the event stays on its column
// with a fraction of a second in the EDF+ start.
TEST(FechasGuardadas, GdfEdfYBdfDevuelvenLaFecha) {
    const prueba::CarpetaTemporal t;
    const EEG rama = ramaConFecha(FechaHora{2009, 3, 5, 11, 56, 24, 256789});
    for (const auto& [nombre, iso] : {std::pair<std::string, std::string>{"r.gdf", "2009-03-05T11:56:24.257000"},
                                      {"r.edf", "2009-03-05T11:56:24.256700"},
                                      {"r.bdf", "2009-03-05T11:56:24.256700"}}) {
        const EEG e = guardarYLeer(rama, t, nombre);
        ASSERT_TRUE(e.fechaHora) << nombre;
        EXPECT_EQ(textoISO8601(*e.fechaHora), iso) << nombre;
        ASSERT_TRUE(e.tieneEventos()) << nombre;
        ASSERT_EQ(e.tablaEventos->eventos.size(), 1u) << nombre;
        EXPECT_EQ(e.tablaEventos->eventos[0].posicion, 300) << nombre;
    }
    // The GDF field is the date, not the source's text (BioSig read the text
    // "Thu Mar 05 11:56:24 2009" as the year 0088).
    const std::string fechaGdf = bytesEn(t.ruta() + "/r.gdf", 168, 8);
    uint64_t valor = 0;
    for (int i = 7; i >= 0; --i) valor = (valor << 8) | static_cast<unsigned char>(fechaGdf[static_cast<size_t>(i)]);
    EXPECT_EQ(valor, valorFechaGDF2(FechaHora{2009, 3, 5, 11, 56, 24, 256789}));
    EXPECT_EQ(bytesEn(t.ruta() + "/r.edf", 168, 16), "05.03.0911.56.24");
    EXPECT_EQ(bytesEn(t.ruta() + "/r.edf", 88, 22), "Startdate 05-MAR-2009 ");
}

// Unknown: 0 in GDF, EDF+'s anonymised date in EDF+ and BDF+, and the
// readers give no date back. A year the EDF field cannot hold is unknown
// there but kept in GDF.
TEST(FechasGuardadas, DesconocidaSeGuardaComoDesconocida) {
    const prueba::CarpetaTemporal t;
    const EEG sinFecha = ramaConFecha(std::nullopt);
    for (const std::string nombre : {"s.gdf", "s.edf", "s.bdf"})
        EXPECT_FALSE(guardarYLeer(sinFecha, t, nombre).fechaHora) << nombre;
    EXPECT_EQ(bytesEn(t.ruta() + "/s.gdf", 168, 8), std::string(8, '\0'));
    for (const std::string nombre : {"s.edf", "s.bdf"}) {
        EXPECT_EQ(bytesEn(t.ruta() + "/" + nombre, 168, 8), "01.01.85") << nombre;
        EXPECT_EQ(bytesEn(t.ruta() + "/" + nombre, 88, 12), "Startdate X ") << nombre;
    }

    const EEG antigua = ramaConFecha(FechaHora{1970, 6, 1, 9, 0, 0, 0});
    EXPECT_FALSE(guardarYLeer(antigua, t, "a.edf").fechaHora);
    const EEG gdf = guardarYLeer(antigua, t, "a.gdf");
    ASSERT_TRUE(gdf.fechaHora);
    EXPECT_EQ(textoISO8601(*gdf.fechaHora), "1970-06-01T09:00:00");
}

// p300_8ch.dat (StorageTime "Thu Mar 05 11:56:24 2009") converted to GDF,
// EDF+ and BDF+ by ondelar-cli: each outside reader's date in
// tests/data/fechas/referencias.txt is the .dat's date, and so is ours of the
// same conversions, made here. BioSig keeps times as a fixed-point day
// fraction and prints 11:56:23.999985: within a millisecond. (Before the GDF
// writer stored the date, BioSig read the copied text as the year 0088.)
TEST(FechasGuardadas, MneYBioSigLeenLaFechaDelP300Convertido) {
    std::ifstream f(ONDELAR_RAIZ "/tests/data/fechas/referencias.txt");
    ASSERT_TRUE(f.good());
    const std::string datos = ONDELAR_RAIZ "/../shared/data/";
    EEG dat;
    prueba::capturar([&] { dat = DatFileReader().leer(datos + "p300_8ch.dat"); });
    ASSERT_TRUE(dat.fechaHora);
    const prueba::CarpetaTemporal t;
    std::map<std::string, EEG> nuestras;
    for (const std::string ext : {"gdf", "edf", "bdf"}) nuestras[ext] = guardarYLeer(dat, t, "p300_8ch." + ext);

    std::map<std::string, int> lecturas;  // per outside reader
    for (std::string linea; std::getline(f, linea);) {
        if (linea.empty() || linea[0] == '#') continue;
        std::istringstream l(linea);
        std::string archivo, lector, iso;
        l >> archivo >> lector >> iso;
        if (archivo == "sin_fecha.edf") {
            // test_NO.vhdr, without a date, written with EDF+'s anonymised
            // start: both readers take its startdate field, 01.01.85.
            EXPECT_EQ(iso, "1985-01-01T00:00:00") << linea;
            ++lecturas["sin_fecha"];
            continue;
        }
        const std::string ext = archivo.substr(9);
        ASSERT_TRUE(nuestras.count(ext)) << linea;
        ++lecturas[lector];
        // "2009-03-05T11:56:23.999985" as the BCI2000 reader's text would be.
        const std::optional<FechaHora> suya = fechaDeBCI2000(iso);
        ASSERT_TRUE(suya) << linea;
        EXPECT_EQ(std::tie(suya->anio, suya->mes, suya->dia), std::tie(dat.fechaHora->anio, dat.fechaHora->mes,
                                                                       dat.fechaHora->dia)) << linea;
        EXPECT_LT(std::abs(microsegundosEntre(*dat.fechaHora, *suya)), 1000) << linea;
        ASSERT_TRUE(nuestras[ext].fechaHora) << ext;
        EXPECT_EQ(*nuestras[ext].fechaHora, *dat.fechaHora) << ext;
    }
    EXPECT_EQ(lecturas["mne"], 3);
    EXPECT_EQ(lecturas["biosig"], 3);
    EXPECT_EQ(lecturas["sin_fecha"], 2);
}
