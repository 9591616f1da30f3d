// The EDF/BDF data records decoded by the reader itself give, sample by
// sample, what EDFlib's own reading gives (EdfFileReader(true)): the sample
// recordings and small files built here with annotation signals between data
// signals, a signal at another rate, a trigger channel, extreme and
// out-of-range digital values, asymmetric digital ranges and a file cut short.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "io/EdfFileReader.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

using namespace prueba;

namespace {

const std::string formatos = ONDELAR_RAIZ "/../shared/data/formatos/";
const std::string lecturaPorEdflib = "muestras leídas por EDFlib";

// An annotation signal holds, in record 1, the note "Marca".
Bytes archivoEdf(bool bdf, bool plus, int registros, const std::vector<SenalEdf>& senales) {
    EdfPrueba p;
    p.bdf = bdf;
    p.registros = registros;
    p.senales = senales;
    p.reservado = plus ? (bdf ? "BDF+C" : "EDF+C") : (bdf ? "24BIT" : "");
    if (plus) p.paciente = "X X X X", p.registro = "Startdate 01-JAN-2001 X X X";
    p.notas = [](int r) { return r == 1 ? std::string("+1.5\x15" "0.5\x14Marca\x14") + '\0' : std::string(); };
    return p.bytes();
}

// Both readings of `ruta`: the reader's own decoding was used (no fallback
// line), and every sample equals EDFlib's to within a few ulps of the
// channel's physical range; the events and warnings are the same.
void comoEdflib(const std::string& ruta) {
    SCOPED_TRACE(ruta);
    const LecturaEdf propia = leerEdf(ruta), edflib = leerEdf(ruta, true);
    ASSERT_EQ(propia.motivo, "");
    ASSERT_EQ(edflib.motivo, "");
    EXPECT_EQ(propia.salida.find(lecturaPorEdflib), std::string::npos);
    EXPECT_NE(edflib.salida.find(lecturaPorEdflib), std::string::npos);
    EXPECT_EQ(propia.avisos, edflib.avisos);
    const EEG &a = propia.eeg, &b = edflib.eeg;
    ASSERT_EQ(a.numeroCanales, b.numeroCanales);
    ASSERT_EQ(a.numeroMuestras, b.numeroMuestras);
    for (uint32_t c = 0; c < a.numeroCanales; ++c) {
        const Canal& canal = (*b.canales)[c];
        EXPECT_EQ((*a.canales)[c].etiqueta, canal.etiqueta);
        const double magnitud = std::max(std::abs(canal.minimoFisico), std::abs(canal.maximoFisico));
        const double tolerancia = 4 * std::numeric_limits<double>::epsilon() * magnitud;
        size_t distintas = 0;
        for (arma::uword s = 0; s < a.datos().n_cols; ++s)
            if (!(std::abs(a.datos()(c, s) - b.datos()(c, s)) <= tolerancia) && distintas++ < 5)
                ADD_FAILURE() << canal.etiqueta << " muestra " << s << ": " << a.datos()(c, s) << " frente a "
                              << b.datos()(c, s);
        EXPECT_EQ(distintas, 0u) << canal.etiqueta;
    }
    ASSERT_EQ(a.tablaEventos == nullptr, b.tablaEventos == nullptr);
    if (!a.tablaEventos) return;
    EXPECT_EQ(eventosDistintos(a, b), "");
    EXPECT_EQ(a.tablaEventos->textos, b.tablaEventos->textos);
}

}  // namespace

TEST(DecodificacionEdf, LosRegistrosDeMuestraSeLeenComoConEdflib) {
    comoEdflib(formatos + "edfplus_139ch.edf");
    comoEdflib(formatos + "bdf_4ch_status.bdf");
}

TEST(DecodificacionEdf, AnotacionesEntreSenalesYOtraFrecuencia) {
    CarpetaTemporal t;
    SenalEdf lenta{"Lenta"};
    lenta.muestrasPorRegistro = 2;
    const Bytes b =
        archivoEdf(false, true, 5,
                   {SenalEdf{"Fz"}, senalAnotaciones("EDF Annotations", 30), lenta, SenalEdf{"Cz"}, SenalEdf{"Pz"}});
    const std::string ruta = t.escribir("anotado.edf", b);
    comoEdflib(ruta);
    const LecturaEdf l = leerEdf(ruta);
    ASSERT_EQ(l.eeg.numeroCanales, 3u);  // Fz, Cz, Pz; Lenta is left out
    EXPECT_EQ((*l.eeg.canales)[1].etiqueta, "Cz");
    ASSERT_NE(l.eeg.tablaEventos, nullptr);
    EXPECT_EQ(l.eeg.tablaEventos->eventos[0].posicion, 12);  // 1.5 s at 8 Hz
}

// Digital range -1000..3000 over -50..200 mV: 0.0625 mV per step, offset 200,
// so 1000 reads (1000 + 200) x 0.0625 = 75 mV = 75000 µV; values past the
// range read as its ends (-50 and 200 mV).
TEST(DecodificacionEdf, RangoAsimetricoYValoresFueraDelRango) {
    CarpetaTemporal t;
    SenalEdf s{"Asim"};
    s.unidad = "mV";
    s.fisicoMinimo = "-50";
    s.fisicoMaximo = "200";
    s.digitalMinimo = -1000;
    s.digitalMaximo = 3000;
    s.valor = [](int r, int k) { return k == 0 ? 1000 : k == 1 ? 32767 : k == 2 ? -32768 : (r * 997 + k * 331) % 5000 - 1500; };
    SenalEdf otra{"Otra"};
    otra.fisicoMinimo = "-1.5";
    otra.fisicoMaximo = "7.25";
    otra.digitalMinimo = -200;
    otra.digitalMaximo = 900;
    const std::string ruta = t.escribir("asimetrico.edf", archivoEdf(false, false, 4, {s, otra}));
    comoEdflib(ruta);
    const EEG e = leerEdf(ruta).eeg;
    EXPECT_DOUBLE_EQ(e.datos()(0, 0), 75000.0);
    EXPECT_DOUBLE_EQ(e.datos()(0, 1), 200000.0);
    EXPECT_DOUBLE_EQ(e.datos()(0, 2), -50000.0);
}

// Samples are converted four at a time and channels two at a time: records
// of 7 samples and three channels leave a remainder of each, in EDF and BDF,
// with a narrowed range and a unit other than µV on the lone channel.
TEST(DecodificacionEdf, RestosDeMuestrasYDeCanales) {
    CarpetaTemporal t;
    for (const bool bdf : {false, true}) {
        SenalEdf a{"Fz"}, b{"Cz"}, c{"Pz"};
        for (SenalEdf* s : {&a, &b, &c}) s->muestrasPorRegistro = 7;
        c.unidad = "mV";
        c.digitalMinimo = -500;
        c.digitalMaximo = 700;
        c.valor = [](int r, int k) { return (r * 389 + k * 277) % 2001 - 1000; };
        const std::string ruta = t.escribir(bdf ? "restos.bdf" : "restos.edf", archivoEdf(bdf, false, 3, {a, b, c}));
        comoEdflib(ruta);
        // Record 2, sample 6 of Pz: 2 * 389 + 6 * 277 = 2440, stored 439 - 1000 = -561,
        // below -500: read as the range's end, -3276.8 mV.
        const EEG e = leerEdf(ruta).eeg;
        ASSERT_EQ(e.numeroMuestras, 21);
        EXPECT_DOUBLE_EQ(e.datos()(2, 20), -3276800.0);
        EXPECT_NEAR(e.datos()(0, 20), 0.1 * ((2 * 37 + 6 * 11) % 2001 - 1000), 1e-9);
    }
}

TEST(DecodificacionEdf, BdfConStatusAnotacionesYValoresExtremos) {
    CarpetaTemporal t;
    SenalEdf a{"A1"}, b{"A2"}, estado{"Status"}, anotaciones = senalAnotaciones("BDF Annotations", 20);
    for (SenalEdf* s : {&a, &b, &estado, &anotaciones}) rangoBdf(*s);
    a.fisicoMinimo = b.fisicoMinimo = "-262144";
    a.fisicoMaximo = b.fisicoMaximo = "262143";
    a.valor = [](int r, int k) {
        return k % 3 == 0 ? -8388608 : k % 3 == 1 ? 8388607 : (r * 123457 + k * 7919) % 16000000 - 8000000;
    };
    b.digitalMinimo = -100000;  // narrower than the stored values
    b.digitalMaximo = 5000000;
    b.valor = [](int r, int k) { return (r * 654321 + k * 104729) % 16777216 - 8388608; };
    // Low 16 bits change at k = 2 (to 5) and k = 5 (to 0x1234), high bits change throughout.
    estado.valor = [](int r, int k) { return ((r + k) << 16) | (k < 2 ? 0 : k < 5 ? 5 : 0x1234); };
    const std::string ruta = t.escribir("estado.bdf", archivoEdf(true, true, 3, {a, estado, anotaciones, b}));
    comoEdflib(ruta);
    const EEG e = leerEdf(ruta).eeg;
    ASSERT_EQ(e.numeroCanales, 2u);
    ASSERT_NE(e.tablaEventos, nullptr);
    EXPECT_EQ(e.tablaEventos->eventos[0].tipo, 5);
    EXPECT_EQ(e.tablaEventos->eventos[0].posicion, 2);
}

// A file cut short: read as EDFlib reads it, and the same from memory.
TEST(DecodificacionEdf, ArchivoCortadoComoConEdflibYDesdeMemoria) {
    CarpetaTemporal t;
    Bytes b = archivoEdf(false, false, 6, {SenalEdf{"Fz"}, SenalEdf{"Cz"}, SenalEdf{"Pz"}});
    b.resize(b.size() - 20);  // the last record is incomplete
    const std::string ruta = t.escribir("cortado.edf", b);
    comoEdflib(ruta);
    const EEG deArchivo = leerEdf(ruta).eeg;
    EXPECT_EQ(deArchivo.numeroMuestras, 5 * 8);
    EEG deMemoria;
    capturar([&] { deMemoria = leerBytes<EdfFileReader>(b); });
    EXPECT_TRUE(arma::approx_equal(deMemoria.datos(), deArchivo.datos(), "absdiff", 0.0));
}

// Files of several stretches of records, decoded on two threads; the
// trigger values of both halves make one sequence of events.
TEST(DecodificacionEdf, VariosTramosEnDosHilos) {
    CarpetaTemporal t;
    SenalEdf a{"Fz"}, b{"Cz"};
    a.muestrasPorRegistro = b.muestrasPorRegistro = 4096;
    comoEdflib(t.escribir("largo.edf", archivoEdf(false, false, 130, {a, b})));
    SenalEdf x{"A1"}, estado{"Status"};
    x.muestrasPorRegistro = estado.muestrasPorRegistro = 3000;
    rangoBdf(x);
    rangoBdf(estado);
    estado.valor = [](int r, int k) { return k == 0 ? r % 7 + 1 : k == 1500 ? 0 : -1; };
    comoEdflib(t.escribir("largo.bdf", archivoEdf(true, false, 120, {x, estado})));
    // A trigger that holds its value across stretches: an event only where
    // it changes (records 50 and 100), none where a stretch begins.
    estado.valor = [](int r, int) { return r / 50 + 1; };
    const std::string rutaQuieto = t.escribir("quieto.bdf", archivoEdf(true, false, 120, {x, estado}));
    comoEdflib(rutaQuieto);
    const EEG quieto = leerEdf(rutaQuieto).eeg;
    ASSERT_TRUE(quieto.tablaEventos);
    ASSERT_EQ(quieto.tablaEventos->numeroEventos, 3);
    EXPECT_EQ(quieto.tablaEventos->eventos[1].posicion, 50 * 3000);
    EXPECT_EQ(quieto.tablaEventos->eventos[2].tipo, 3);
}
