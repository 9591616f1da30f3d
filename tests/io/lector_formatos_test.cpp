// EDF/EDF+, BDF and BrainVision: the sample recordings against the committed
// references, the refusals, files cut short, EDF+/BDF+ writing read back,
// and standard positions for recordings loaded without a .CED file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

#include "io/cargarRegistro.h"
#include "io/crearLector.h"
#include "io/guardarRama.h"
#include "io/posicionesEstandar.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"
#include "tests/io/referenciasFormatos.h"

namespace {

const std::string formatos = ONDELAR_RAIZ "/../shared/data/formatos/";
const std::string referencias = ONDELAR_RAIZ "/tests/data/formatos/";

// Reads `ruta` with the reader its extension names.
EEG leerCon(const std::string& ruta, std::string* motivo = nullptr, std::vector<std::string>* avisos = nullptr) {
    EEG e;
    prueba::capturar([&] {
        const std::unique_ptr<FileReader> lector = crearLector(ruta);
        e = lector->leer(ruta);
        if (motivo)
            *motivo = lector->motivoFallo();
        else
            EXPECT_EQ(lector->motivoFallo(), "") << ruta;
        if (avisos) *avisos = lector->avisos();
    });
    return e;
}

// Every channel of `eeg` is in the reference with the same values at its
// columns, within `tolerancia`. EDFlib limits a sample to the physical range
// of its channel's header (the reference reader does not): a reference value
// outside it is expected as the limit.
void compararValores(const EEG& eeg, const prueba::ReferenciaFormato& ref, double tolerancia) {
    for (uint32_t c = 0; c < eeg.numeroCanales; ++c) {
        const Canal& canal = (*eeg.canales)[c];
        const std::string& etiqueta = canal.etiqueta;
        const bool acotado = canal.maximoFisico > canal.minimoFisico;
        const auto r = ref.canales.find(etiqueta);
        EXPECT_NE(r, ref.canales.end()) << etiqueta;
        if (r == ref.canales.end()) continue;
        for (size_t k = 0; k < ref.columnas.size(); ++k) {
            const double esperado =
                acotado ? std::clamp(r->second[k], canal.minimoFisico, canal.maximoFisico) : r->second[k];
            EXPECT_NEAR(eeg.datos()(c, static_cast<arma::uword>(ref.columnas[k])), esperado, tolerancia)
                << etiqueta << " columna " << ref.columnas[k];
        }
    }
}

std::string nombreDe(const EEG& eeg, const Evento& e) {
    for (const Evento& k : eeg.tablaEventos->tipos)
        if (k.tipo == e.tipo && k.calificador == e.calificador) return nombreTipo(*eeg.tablaEventos, k);
    return "?";
}

}  // namespace

// Each sample recording against its committed reference (written once by
// tests/data/formatos/referencias_formatos.py and bci2000_edfplus.py): rate,
// length, values in µV, start, warnings and events, each text a kind.
TEST(FormatosReales, CadaMuestraIgualASuReferencia) {
    const struct {
        std::string archivo, referencia;
        uint32_t canales;
        double tolerancia;
        const char* fecha;  // "": none
        size_t avisos;
        std::vector<const char*> palabras;           // of the warnings
        std::map<std::string, std::string> nombres;  // the reference's text -> the kind's name
    } casos[] = {
        // 139 signals, 13 at other rates; physical 0..100 over digital 0..100: one µV per step.
        // Header fields "29.04.14" and "22.19.44"; recording field "Startdate 29-APR-2014 X X X".
        // Annotations become kinds in order of appearance.
        {formatos + "edfplus_139ch.edf",
         "edfplus_139ch.tsv",
         126,
         1e-9,
         "2014-04-29T22:19:44",
         1,
         {"13 señales", "A1 (1 Hz)"},
         {{"start", "1.1 (start)"}, {"type A", "2.1 (type A)"}, {"type B", "3.1 (type B)"}}},
        // Status becomes events, not a channel; 24 bits over +-187470 µV: 0.022 µV per step.
        // Header fields "19.03.15" and "08.04.01"; no EDF+ recording field.
        {formatos + "bdf_4ch_status.bdf",
         "bdf_4ch_status.tsv",
         3,
         1e-6,
         "2015-03-19T08:04:01",
         0,
         {},
         {{"1", "1.1"}, {"2", "2.1"}, {"4", "4.1"}}},
        // float32 x 1 µV: exact in double; its New Segment date is twenty zeros.
        {formatos + "test_NO.vhdr", "test_NO.tsv", 65, 1e-6, "", 0, {}, {{"New Segment/", "1.3 (New Segment)"}}},
        // BCI2000's EDF+ export (tests/data/formatos/bci2000_edfplus.py), which EDFlib refuses: one
        // warning per broken rule.
        {referencias + "bci2000_edfplus.edf",
         "bci2000_edfplus.tsv",
         4,
         1e-9,
         "2009-08-12T16:15:00",
         2,
         {"transductor", "dimensión"},
         {{"T0", "1.1 (T0)"}, {"T2", "2.1 (T2)"}, {"T1", "3.1 (T1)"}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.archivo);
        const prueba::ReferenciaFormato ref = prueba::leerReferencia(referencias + c.referencia);
        std::vector<std::string> avisos;
        const EEG e = leerCon(c.archivo, nullptr, &avisos);
        EXPECT_EQ(e.frecuenciaMuestreo, ref.frecuencia);
        EXPECT_EQ(e.numeroMuestras, ref.muestras);
        ASSERT_EQ(e.numeroCanales, c.canales);
        // When the reference has every signal, in the same order.
        for (uint32_t k = 0; k < c.canales && ref.orden.size() == c.canales; ++k)
            EXPECT_EQ((*e.canales)[k].etiqueta, ref.orden[k]);
        EXPECT_EQ((*e.canales)[0].unidad, "uV");
        compararValores(e, ref, c.tolerancia);
        EXPECT_EQ(e.fechaHora ? textoISO8601(*e.fechaHora) : "", c.fecha);
        std::string unidos;
        for (const std::string& a : avisos) unidos += a + "\n";
        EXPECT_EQ(avisos.size(), c.avisos) << unidos;
        for (const char* p : c.palabras) EXPECT_NE(unidos.find(p), std::string::npos) << unidos;
        ASSERT_TRUE(e.tieneEventos());
        const auto& ev = e.tablaEventos->eventos;
        ASSERT_EQ(ev.size(), ref.eventos.size());
        for (size_t i = 0; i < ev.size(); ++i) {
            EXPECT_EQ(ev[i].posicion, ref.eventos[i].columna) << i;
            EXPECT_EQ(ev[i].duracion, ref.eventos[i].duracion) << i;
            EXPECT_EQ(nombreDe(e, ev[i]), c.nombres.at(ref.eventos[i].texto)) << i;
        }
        EXPECT_EQ(e.tablaEventos->numeroTipos, static_cast<int>(c.nombres.size()));
    }
}

TEST(EdfDiscontinuo, SinHuecosSeLeeComoElContinuo) {
    // The sample marked EDF+D: EDFlib refuses it, but its records follow
    // one another, so the branch, its events and its warnings are the same.
    const prueba::CarpetaTemporal t;
    std::vector<std::string> avisos;
    const EEG e = leerCon(prueba::edfCambiado(t, 192, "EDF+D"), nullptr, &avisos);
    const EEG continuo = leerCon(formatos + "edfplus_139ch.edf");
    ASSERT_EQ(e.numeroCanales, continuo.numeroCanales);
    EXPECT_TRUE(arma::approx_equal(e.datos(), continuo.datos(), "absdiff", 0.0));
    ASSERT_TRUE(e.tieneEventos());
    EXPECT_EQ(prueba::eventosDistintos(e, continuo), "");
    EXPECT_EQ(e.tablaEventos->textos, continuo.tablaEventos->textos);
    ASSERT_EQ(avisos.size(), 1u);  // the signals at other rates, as in the continuous file
    EXPECT_NE(avisos[0].find("Se han dejado fuera"), std::string::npos) << avisos[0];
}

TEST(EdfRechazos, CabeceraImposibleSeRechazaAntesDeLeer) {
    const prueba::CarpetaTemporal t;
    const struct {
        size_t posicion;
        const char *campo, *contiene;
    } casos[] = {
        {252, "9999", "señales"},           // more signals than EDFlib handles
        {184, "999999  ", "longitud de cabecera"},
        {236, "0       ", "registros de datos"},
        {236, "12x     ", "registros de datos"},
        {256 + 140 * 216, "-5      ", "muestras por registro"},  // first signal's samples per record
    };
    for (const auto& c : casos) {
        std::string motivo;
        const EEG e = leerCon(prueba::edfCambiado(t, c.posicion, c.campo), &motivo);
        EXPECT_EQ(e.numeroCanales, 0u) << c.campo;
        EXPECT_NE(motivo.find(c.contiene), std::string::npos) << motivo;
    }
    std::string motivo;
    leerCon(t.escribir("corto.edf", std::string("0       ")), &motivo);
    EXPECT_NE(motivo.find("demasiado corto"), std::string::npos) << motivo;
}

TEST(EdfCortado, GuardaLosRegistrosCompletosYAvisaDeLoQueSobra) {
    // 6 records of 1 s (512 samples at the common rate); the file cut in the
    // middle of the third keeps two. Annotations live in the records: those
    // of the lost records go with them.
    const prueba::CarpetaTemporal t;
    prueba::Bytes b = prueba::bytesDeArchivo(formatos + "edfplus_139ch.edf");
    const size_t cabecera = 256 * 141, registro = (b.size() - cabecera) / 6;
    b.resize(cabecera + 2 * registro + registro / 2);
    std::vector<std::string> avisos;
    const EEG e = leerCon(t.escribir("cortado.edf", b), nullptr, &avisos);
    EXPECT_EQ(e.numeroMuestras, 1024);
    const EEG entero = leerCon(formatos + "edfplus_139ch.edf");
    EXPECT_TRUE(arma::approx_equal(e.datos(), entero.datos().cols(0, 1023), "absdiff", 0.0));
    ASSERT_TRUE(e.tieneEventos());
    for (const Evento& ev : e.tablaEventos->eventos) EXPECT_LT(ev.posicion, 1024);
    ASSERT_FALSE(avisos.empty());
    EXPECT_NE(avisos.back().find("2 de los 6 registros"), std::string::npos) << avisos.back();
    // Bytes past the last record of the BDF sample are left out, and said so.
    b = prueba::bytesDeArchivo(formatos + "bdf_4ch_status.bdf");
    b.resize(b.size() + 100, 0xAB);
    EXPECT_EQ(leerCon(t.escribir("largo.bdf", b), nullptr, &avisos).numeroMuestras, 5000);
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("100 bytes"), std::string::npos) << avisos[0];
}

// BrainVision files built here: header, markers and data in one folder.
struct BrainVisionPrueba {
    std::string formato = "INT_16", orientacion = "MULTIPLEXED", dataFormat = "BINARY", codepage = "UTF-8";
    bool bigEndian = false;
    std::vector<std::string> canales = {"Fp1,,0.5,nV", "Cz,,2,mV"};
    std::string numeroCanales = "2", intervalo = "4000";
    std::string extraCabecera;
    std::vector<std::string> marcas;
    bool conMarcas = true, conDatos = true;
};

std::string escribirBrainVision(const prueba::CarpetaTemporal& t, const BrainVisionPrueba& p, const prueba::Bytes& datos) {
    std::string h = "Brain Vision Data Exchange Header File Version 1.0\r\n; comentario\r\n\r\n[Common Infos]\r\n";
    h += "Codepage=" + p.codepage + "\r\nDataFile=d.eeg\r\nMarkerFile=d.vmrk\r\nDataFormat=" + p.dataFormat +
         "\r\nDataOrientation=" + p.orientacion + "\r\nNumberOfChannels=" + p.numeroCanales +
         "\r\nSamplingInterval=" + p.intervalo + "\r\n" + p.extraCabecera +
         "\r\n[Binary Infos]\r\nBinaryFormat=" + p.formato + "\r\nUseBigEndianOrder=" + (p.bigEndian ? "YES" : "NO") +
         "\r\n\r\n[Channel Infos]\r\n";
    for (size_t i = 0; i < p.canales.size(); ++i) h += "Ch" + std::to_string(i + 1) + "=" + p.canales[i] + "\r\n";
    h += "\r\n[Comment]\r\nCh9=no es un canal\r\n";
    std::string m = "Brain Vision Data Exchange Marker File, Version 1.0\r\n[Common Infos]\r\nCodepage=" + p.codepage +
                    "\r\nDataFile=d.eeg\r\n\r\n[Marker Infos]\r\n";
    for (size_t i = 0; i < p.marcas.size(); ++i) m += "Mk" + std::to_string(i + 1) + "=" + p.marcas[i] + "\r\n";
    if (p.conMarcas) t.escribir("d.vmrk", m);
    if (p.conDatos) t.escribir("d.eeg", datos);
    return t.escribir("d.vhdr", h);
}

template <typename T>
prueba::Bytes valores(const std::vector<T>& v, bool bigEndian = false) {
    prueba::Bytes b;
    for (T x : v) {
        prueba::Bytes uno;
        prueba::anadirValor(uno, x);
        if (bigEndian) std::reverse(uno.begin(), uno.end());
        b.insert(b.end(), uno.begin(), uno.end());
    }
    return b;
}

// Each sample format, orientation and byte order, times each channel's resolution in µV.
TEST(BrainVision, FormatosOrientacionesYResolucionEnMicrovoltios) {
    const struct {
        const char *formato, *orientacion;
        bool bigEndian;
        std::vector<std::string> canales;
        prueba::Bytes datos;
        arma::mat esperado;
    } casos[] = {
        // Channel 1 at 0.5 nV per count: 1000, -2000, 4000; channel 2 at 2 mV per count: 1, 2, -3.
        {"INT_16", "VECTORIZED", true, {"Fp1,,0.5,nV", "Cz,,2,mV"}, valores<int16_t>({1000, -2000, 4000, 1, 2, -3}, true),
         {{0.5, -1.0, 2.0}, {2000.0, 4000.0, -6000.0}}},
        {"INT_32", "MULTIPLEXED", false, {"A,,1", "B,,0.1,µV"}, valores<int32_t>({100000, -10, 7, 30}),
         {{100000.0, 7.0}, {-1.0, 3.0}}},
        {"IEEE_FLOAT_32", "MULTIPLEXED", false, {"A,,1", "B,,0.1,µV"}, valores<float>({1.5f, -10.f, 0.25f, 30.f}),
         {{1.5, 0.25}, {-1.0, 3.0}}},
    };
    for (const auto& c : casos) {
        const prueba::CarpetaTemporal t;
        BrainVisionPrueba p;
        p.formato = c.formato, p.orientacion = c.orientacion, p.bigEndian = c.bigEndian, p.canales = c.canales;
        const EEG e = leerCon(escribirBrainVision(t, p, c.datos));
        EXPECT_TRUE(arma::approx_equal(e.datos(), c.esperado, "absdiff", 1e-6)) << c.formato << "\n" << e.datos();
        EXPECT_EQ(e.frecuenciaMuestreo, 250);  // 4000 µs
        EXPECT_EQ((*e.canales)[1].unidad, "uV") << c.formato;
    }
}

// Long enough for several stretches on two threads, with an odd channel
// count: both orientations give every stored value times its resolution.
TEST(BrainVision, VariosTramosEnAmbasOrientaciones) {
    const int64_t muestras = 700001;
    const auto valor = [](int64_t s, int c) { return static_cast<int16_t>((s * 7 + c * 131) % 4001 - 2000); };
    std::vector<int16_t> mux, vec;
    for (int64_t s = 0; s < muestras; ++s)
        for (int c = 0; c < 3; ++c) mux.push_back(valor(s, c));
    for (int c = 0; c < 3; ++c)
        for (int64_t s = 0; s < muestras; ++s) vec.push_back(valor(s, c));
    const double resolucion[] = {0.5e-3, 2e3, 1.0};  // 0.5 nV, 2 mV and 1 µV per count
    BrainVisionPrueba p;
    p.canales = {"A,,0.5,nV", "B,,2,mV", "C,,1"};
    p.numeroCanales = "3";
    for (const auto& [orientacion, datos] : {std::pair{"MULTIPLEXED", &mux}, std::pair{"VECTORIZED", &vec}}) {
        const prueba::CarpetaTemporal t;
        p.orientacion = orientacion;
        const EEG e = leerCon(escribirBrainVision(t, p, valores<int16_t>(*datos)));
        ASSERT_EQ(arma::size(e.datos()), arma::size(3, muestras)) << orientacion;
        const double* d = e.datos().memptr();  // column-major: sample s, channel c at 3 s + c
        size_t distintos = 0;
        for (int64_t s = 0; s < muestras; ++s)
            for (int c = 0; c < 3; ++c) distintos += std::abs(d[3 * s + c] - valor(s, c) * resolucion[c]) > 1e-9;
        EXPECT_EQ(distintos, 0u) << orientacion;
    }
}

TEST(BrainVision, MarcasDeEstimuloRespuestaYTexto) {
    const prueba::CarpetaTemporal t;
    BrainVisionPrueba p;
    p.codepage = "ANSI";
    p.canales = {"Fp\\1\xE9,,1", "Cz,,1"};  // "\1" is a comma; é in Latin-1
    p.marcas = {"New Segment,,1,1,0,20200101000000000000", "Stimulus,S  1,2,1,0", "Response,R 12,3,1,2",
                "Comment,se\xF1" "al,4,2,0", "Stimulus,S  1,4,1,0", "Stimulus,S  1,9,1,0"};
    std::vector<std::string> avisos;
    const EEG e = leerCon(escribirBrainVision(t, p, valores<int16_t>(std::vector<int16_t>(8, 1))), nullptr, &avisos);
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fp,\xC3\xA9");
    ASSERT_TRUE(e.tieneEventos());
    const auto& ev = e.tablaEventos->eventos;
    ASSERT_EQ(ev.size(), 5u);  // the marker at position 9 lies past the 4 samples
    const std::vector<std::pair<int32_t, std::string>> esperado = {
        {0, "1.3 (New Segment)"}, {1, "1.1"}, {2, "12.2 (R 12)"}, {3, "2.3 (se\xC3\xB1" "al)"}, {3, "1.1"}};
    for (size_t i = 0; i < esperado.size(); ++i) {
        EXPECT_EQ(ev[i].posicion, esperado[i].first) << i;
        EXPECT_EQ(nombreDe(e, ev[i]), esperado[i].second) << i;
    }
    EXPECT_EQ(ev[2].canal, 2);
    EXPECT_EQ(ev[3].duracion, 2);
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("1 marca cae fuera"), std::string::npos) << avisos[0];
}

// The recording starts with its first segment: a later segment's date is not its start.
TEST(BrainVision, FechaDeLaPrimeraMarcaNewSegment) {
    const prueba::CarpetaTemporal t;
    BrainVisionPrueba p;
    const prueba::Bytes datos = valores<int16_t>(std::vector<int16_t>(8, 1));
    p.marcas = {"New Segment,,1,1,0,20190523143015123456", "Stimulus,S  1,2,1,0"};
    const EEG e = leerCon(escribirBrainVision(t, p, datos));
    ASSERT_TRUE(e.fechaHora);
    EXPECT_EQ(textoISO8601(*e.fechaHora), "2019-05-23T14:30:15.123456");
    p.marcas = {"New Segment,,1,1,0,00000000000000000000", "New Segment,,3,1,0,20190523143015123456"};
    EXPECT_FALSE(leerCon(escribirBrainVision(t, p, datos)).fechaHora);
    p.marcas = {"Stimulus,S  1,2,1,0"};
    EXPECT_FALSE(leerCon(escribirBrainVision(t, p, datos)).fechaHora);
}

TEST(BrainVision, MultiplexadoCortadoGuardaLasMuestrasCompletas) {
    const prueba::CarpetaTemporal t;
    BrainVisionPrueba p;
    p.canales = {"A,,1", "B,,1"};
    p.extraCabecera = "DataPoints=4";
    std::vector<std::string> avisos;
    const EEG e = leerCon(escribirBrainVision(t, p, valores<int16_t>({1, 2, 3, 4, 5})), nullptr, &avisos);
    EXPECT_TRUE(arma::approx_equal(e.datos(), arma::mat{{1.0, 3.0}, {2.0, 4.0}}, "absdiff", 0.0));
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_NE(avisos[0].find("2 de las 4 muestras"), std::string::npos) << avisos[0];
}

TEST(BrainVision, CabecerasYArchivosMalosSeRechazan) {
    const prueba::Bytes cuatro = valores<int16_t>({1, 2, 3, 4});
    const struct {
        const char* caso;
        std::function<void(BrainVisionPrueba&)> cambiar;
        prueba::Bytes datos;
        const char* contiene;
    } casos[] = {
        {"ascii", [](BrainVisionPrueba& p) { p.dataFormat = "ASCII"; }, cuatro, "texto"},
        {"sin datos", [](BrainVisionPrueba& p) { p.conDatos = false; }, cuatro, "archivo de datos «d.eeg»"},
        {"sin marcas", [](BrainVisionPrueba& p) { p.conMarcas = false; }, cuatro, "archivo de marcas «d.vmrk»"},
        {"vectorizado de otro tamaño", [](BrainVisionPrueba& p) { p.orientacion = "VECTORIZED"; },
         valores<int16_t>({1, 2, 3}), "no corresponde"},
        {"más muestras que las declaradas", [](BrainVisionPrueba& p) { p.extraCabecera = "DataPoints=1"; }, cuatro,
         "declara 1"},
        {"canales sin línea", [](BrainVisionPrueba& p) { p.numeroCanales = "1000000000"; }, cuatro, "describe 2"},
        {"formato binario", [](BrainVisionPrueba& p) { p.formato = "INT_64"; }, cuatro, "INT_64"},
        {"resolución", [](BrainVisionPrueba& p) { p.canales[1] = "Cz,,x"; }, cuatro, "resolución del canal 2"},
        // The rule of every format's rate: 1 Hz to 1 MHz (an interval of 0.002 µs is 500 MHz).
        {"500 MHz", [](BrainVisionPrueba& p) { p.intervalo = "0.002"; }, cuatro, "mayor que 1 MHz"},
        {"0.5 Hz", [](BrainVisionPrueba& p) { p.intervalo = "2000000"; }, cuatro, "menor que 1 Hz"},
    };
    for (const auto& c : casos) {
        const prueba::CarpetaTemporal t;
        BrainVisionPrueba p;
        c.cambiar(p);
        std::string motivo;
        const EEG e = leerCon(escribirBrainVision(t, p, c.datos), &motivo);
        EXPECT_EQ(e.numeroCanales, 0u) << c.caso;
        EXPECT_NE(motivo.find(c.contiene), std::string::npos) << c.caso << ": " << motivo;
    }
    std::string motivo;
    const prueba::CarpetaTemporal t;
    leerCon(t.escribir("x.vhdr", std::string("[Common Infos]\nDataFile=x.eeg\n")), &motivo);
    EXPECT_NE(motivo.find("no empieza como una cabecera BrainVision"), std::string::npos) << motivo;
}

// A branch of 3 channels at 256 Hz, 1000 samples (no whole second: records of
// 200 samples). Its events go through every writer in conversion_eventos_test.cpp.
EEG ramaDePrueba() {
    EEG e(256, 3, 1000);
    const arma::rowvec n = arma::linspace<arma::rowvec>(0, 999, 1000);
    e.matrices[0].row(0) = 50.0 * arma::sin(n / 10.0);
    e.matrices[0].row(1) = 0.001 * n - 3.0;
    e.matrices[0].row(2).fill(7.25);  // constant: a range is made around it
    for (uint32_t c = 0; c < 3; ++c) (*e.canales)[c].etiqueta = std::string(1, static_cast<char>('A' + c)) + "z";
    return e;
}

TEST(EscritorEDF, EdfYBdfSeRreleenAMedioPaso) {
    const EEG rama = ramaDePrueba();
    const prueba::CarpetaTemporal t;
    for (const auto& [nombre, pasos] : {std::pair<std::string, double>{"r.edf", 65535.0}, {"r.BDF", 16777215.0}}) {
        const std::string ruta = t.ruta() + "/" + nombre;
        guardarRama(rama, ruta);
        const EEG e = leerCon(ruta);
        EXPECT_EQ(e.frecuenciaMuestreo, 256);
        ASSERT_EQ(arma::size(e.datos()), arma::size(rama.datos()));
        for (uint32_t c = 0; c < 3; ++c) {
            EXPECT_EQ((*e.canales)[c].etiqueta, (*rama.canales)[c].etiqueta);
            // Half a step of the channel's range (header rounding widens it a little).
            const double rango = std::max(rama.datos().row(c).max() - rama.datos().row(c).min(), 2.0);
            EXPECT_LT(arma::abs(e.datos().row(c) - rama.datos().row(c)).max(), 0.51 * rango * 1.001 / pasos) << nombre;
        }
    }
}

TEST(EscritorEDF, SinLongitudDeRegistroExactaRellenaElUltimo) {
    // 1001 = 7 x 11 x 13 samples at 256 Hz: no record length up to a second
    // divides it with a duration the header can state.
    EEG rama(256, 1, 1001);
    rama.matrices[0].row(0) = arma::linspace<arma::rowvec>(-1, 1, 1001);
    const prueba::CarpetaTemporal t;
    guardarRama(rama, t.ruta() + "/r.edf");
    const EEG e = leerCon(t.ruta() + "/r.edf");
    ASSERT_EQ(e.numeroMuestras, 1024);
    EXPECT_LT(arma::abs(e.datos().cols(0, 1000) - rama.datos()).max(), 2.0 / 65535);
    EXPECT_NEAR(e.datos()(0, 1023), 1.0, 2.0 / 65535);
}

TEST(PosicionesEstandar, EtiquetasDeLaTablaYSusNombres1005) {
    // Fz as p300_8ch.ced gives it (mm, x to the nose, y to the left ear).
    const auto fz = posicionEstandar("Fz");
    ASSERT_TRUE(fz.has_value());
    EXPECT_NEAR((*fz)[0], 58.512, 1e-9);
    EXPECT_NEAR((*fz)[1], -0.312, 1e-9);
    EXPECT_NEAR((*fz)[2], 66.462, 1e-9);
    EXPECT_EQ(posicionEstandar(" eeg FZ  "), fz);
    ASSERT_TRUE(posicionEstandar("AFF1").has_value());
    EXPECT_EQ(posicionEstandar("AFF1"), posicionEstandar("FAF1"));
    EXPECT_FALSE(posicionEstandar("EMGleft").has_value());
}

TEST(PosicionesEstandar, SinCEDSeCargaConSusEtiquetasYLoDice) {
    std::vector<std::string> avisos;
    EEG e;
    prueba::capturar([&] { e = cargarRegistro(formatos + "bdf_4ch_status.bdf", std::nullopt, &avisos); });
    for (uint32_t c = 0; c < 3; ++c) {
        ASSERT_TRUE((*e.canales)[c].localizacion.has_value());
        EXPECT_EQ((*e.canales)[c].localizacion, posicionEstandar((*e.canales)[c].etiqueta));
    }
    ASSERT_FALSE(avisos.empty());
    EXPECT_NE(avisos.back().find("3 de 3 canales tienen la posición estándar"), std::string::npos) << avisos.back();
}
