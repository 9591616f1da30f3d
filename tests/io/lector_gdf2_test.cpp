// Version 2 GDF files against reference values written once by
// tests/data/gdf2/hacer_referencias.py (MNE-Python where it opens the file),
// physical values in each channel's unit. Both files store equal physical and
// digital ranges, so the values are also the stored ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>

#include "io/GdfFileReader.h"
#include "io/fechaHora.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/referenciasFormatos.h"

using prueba::Bytes;
using prueba::conValor;
using prueba::Lectura;

namespace {

const std::string formatos = ONDELAR_RAIZ "/../shared/data/formatos/";

struct Referencia {
    int64_t canales = 0, muestras = 0;
    double frecuencia = 0;
    // The reference went through float64 volts and back: a few units of the
    // ninth digit apart, unless the file says otherwise.
    double tolerancia = 1e-7;
    std::string fecha;  // ISO 8601, when the reference gives one
    std::vector<std::string> etiquetas;
    struct Muestra {
        size_t canal, columna;
        double valor;
    };
    std::vector<Muestra> valores;
    struct Ev {
        int32_t columna, tipo, duracion, canal;
    };
    std::vector<Ev> eventos;
};

Referencia leerReferencia(const std::string& nombre) {
    std::ifstream f(ONDELAR_RAIZ "/tests/data/gdf2/referencia_" + nombre + ".txt");
    EXPECT_TRUE(f.good()) << nombre;
    Referencia r;
    std::string linea;
    while (std::getline(f, linea)) {
        std::istringstream l(linea);
        l.imbue(std::locale::classic());
        std::string clave;
        l >> clave;
        if (clave == "forma") l >> r.canales >> r.muestras;
        if (clave == "frecuencia") l >> r.frecuencia;
        if (clave == "tolerancia") l >> r.tolerancia;
        if (clave == "fecha") l >> r.fecha;
        if (clave == "valores") {
            // Every column of one channel.
            Referencia::Muestra m{};
            l >> m.canal;
            while (l >> m.valor) {
                r.valores.push_back(m);
                ++m.columna;
            }
        }
        if (clave == "etiqueta") {
            size_t c;
            std::string e;
            l >> c >> e;
            r.etiquetas.push_back(e);
        }
        if (clave == "muestra") {
            Referencia::Muestra m{};
            l >> m.canal >> m.columna >> m.valor;
            r.valores.push_back(m);
        }
        if (clave == "evento") {
            Referencia::Ev e{};
            l >> e.columna >> e.tipo >> e.duracion >> e.canal;
            r.eventos.push_back(e);
        }
    }
    return r;
}

Lectura leer(const Bytes& b) { return prueba::leerLectura<GdfFileReader>(b); }

// `carpeta`: where the file <nombre>.gdf is.
void compararConReferencia(const std::string& nombre, const std::string& carpeta = formatos) {
    const Referencia ref = leerReferencia(nombre);
    ASSERT_GT(ref.canales, 0) << nombre;
    const Lectura r = leer(prueba::bytesDeArchivo(carpeta + nombre + ".gdf"));
    ASSERT_FALSE(r.eeg.matrices.empty()) << r.motivo;
    // Events past the samples (BioSig's cut of a file keeps its whole table)
    // are dropped by our reader, which says how many.
    std::vector<Referencia::Ev> dentro;
    for (const Referencia::Ev& e : ref.eventos)
        if (e.columna < ref.muestras) dentro.push_back(e);
    if (dentro.size() == ref.eventos.size())
        EXPECT_EQ(r.avisos, "");
    else
        EXPECT_NE(r.avisos.find("Se descartaron " + std::to_string(ref.eventos.size() - dentro.size()) + " de los " +
                                std::to_string(ref.eventos.size()) + " eventos"),
                  std::string::npos)
            << r.avisos;
    EXPECT_EQ(r.eeg.numeroCanales, ref.canales);
    EXPECT_EQ(r.eeg.numeroMuestras, ref.muestras);
    EXPECT_EQ(r.eeg.frecuenciaMuestreo, ref.frecuencia);
    ASSERT_EQ(r.eeg.canales->size(), ref.etiquetas.size());
    for (size_t c = 0; c < ref.etiquetas.size(); ++c) EXPECT_EQ((*r.eeg.canales)[c].etiqueta, ref.etiquetas[c]);
    const arma::mat& m = r.eeg.matrices.front();
    for (const auto& v : ref.valores)
        EXPECT_NEAR(m(v.canal, v.columna), v.valor, ref.tolerancia * std::max(1.0, std::fabs(v.valor)))
            << nombre << " canal " << v.canal << " columna " << v.columna;
    if (!ref.fecha.empty()) {
        // BioSig prints its own fixed-point reading ("08:04:00.999994" for a
        // start at 08:04:01): within a millisecond, about 50 steps of 2^-32 day.
        const std::optional<FechaHora> suya = fechaDeBCI2000(ref.fecha);
        ASSERT_TRUE(suya) << ref.fecha;
        ASSERT_TRUE(r.eeg.fechaHora) << nombre;
        const auto diferencia = static_cast<int64_t>(valorFechaGDF2(*r.eeg.fechaHora) - valorFechaGDF2(*suya));
        EXPECT_LT(std::abs(diferencia), 50) << nombre << ": " << textoISO8601(*r.eeg.fechaHora) << " y " << ref.fecha;
    }
    ASSERT_TRUE(r.eeg.tablaEventos);
    const auto& eventos = r.eeg.tablaEventos->eventos;
    ASSERT_EQ(eventos.size(), dentro.size());
    for (size_t i = 0; i < eventos.size(); ++i) {
        EXPECT_EQ(eventos[i].posicion, dentro[i].columna) << i;
        EXPECT_EQ(eventos[i].tipo, dentro[i].tipo) << i;
        EXPECT_EQ(eventos[i].duracion, dentro[i].duracion) << i;
        EXPECT_EQ(eventos[i].canal, dentro[i].canal) << i;
    }
}

// The 2.10 file: 1 channel of float32, one sample per record, no events.
const Bytes& version210() {
    static const Bytes b = prueba::bytesDeArchivo(formatos + "gdf2_10_1ch.gdf");
    return b;
}

}  // namespace

TEST(LectorGdf2, Version210IgualALaReferencia) {
    compararConReferencia("gdf2_10_1ch");
    const Lectura r = leer(version210());
    EXPECT_FALSE(r.eeg.fechaHora);  // its start field is all zeros
    EXPECT_TRUE(r.eeg.tablaEventos->textos.empty());  // no header extension, no texts
}

// Header extension, channels at lower rates held, mode 3 events with
// durations and time stamps.
TEST(LectorGdf2, Version251IgualALaReferencia) {
    compararConReferencia("gdf2_51_139ch");
    const Lectura r = leer(prueba::bytesDeArchivo(formatos + "gdf2_51_139ch.gdf"));
    ASSERT_TRUE(r.eeg.tablaEventos);
    EXPECT_EQ(r.eeg.tablaEventos->modo, 3);
    // The start of edfplus_139ch.edf, from which BioSig wrote it: bytes
    // a9 c0 2c ee e6 39 0b 00, day 735718 and 0.93037 of a day (22:19:44
    // stored 18 µs early, read to the millisecond).
    ASSERT_TRUE(r.eeg.fechaHora);
    EXPECT_EQ(textoISO8601(*r.eeg.fechaHora), "2014-04-29T22:19:44");
}

// Written by BioSig with one sample per record: durations of 0.002 and
// 0.005 s as float64 (tests/data/gdf2/hacer_gdf2_biosig.sh), compared with
// BioSig's own reading of every sample, the events and the start (the whole
// seconds of the BrainVision start 09:30:05.25 were kept).
TEST(LectorGdf2, EscritosPorBioSigIgualesASuLectura) {
    const std::string carpeta = ONDELAR_RAIZ "/tests/data/gdf2/";
    compararConReferencia("bdf_4ch_status_biosig", carpeta);
    compararConReferencia("senal_200hz_biosig", carpeta);
}

// Bytes 244-251: a uint32 fraction up to version 2.20, a float64 in seconds
// from 2.21 on, whatever the first four bytes happen to hold.
TEST(LectorGdf2, DuracionDeRegistroSegunLaVersion) {
    const auto conVersion = [](Bytes b, const char* version) {
        std::copy(version, version + 8, b.begin());
        return b;
    };
    EXPECT_EQ(leer(conVersion(version210(), "GDF 2.20")).eeg.frecuenciaMuestreo, 150);  // 1/150 s as a fraction
    Lectura r = leer(conValor(conVersion(version210(), "GDF 2.21"), 244, 1.0 / 150.0));
    EXPECT_EQ(r.eeg.frecuenciaMuestreo, 150) << r.motivo;
    r = leer(conValor(conVersion(version210(), "GDF 2.51"), 244, 1.0 / 200.0));
    EXPECT_EQ(r.eeg.frecuenciaMuestreo, 200) << r.motivo;
    for (double mala : {0.0, -1.0, std::nan("")}) {
        r = leer(conValor(conVersion(version210(), "GDF 2.21"), 244, mala));
        EXPECT_TRUE(r.eeg.matrices.empty()) << mala;
        EXPECT_NE(r.motivo.find("duración de registro"), std::string::npos) << r.motivo;
    }
    // The float64 1.0 read as a fraction before 2.21: 0 / 0x3FF00000 s.
    r = leer(conValor(conVersion(version210(), "GDF 2.20"), 244, 1.0));
    EXPECT_TRUE(r.eeg.matrices.empty());
    EXPECT_NE(r.motivo.find("duración de registro"), std::string::npos) << r.motivo;
}

TEST(LectorGdf2, PosicionesAOtraFrecuenciaPasanAColumnas) {
    // Events at 300 Hz on a 150 Hz signal: position 201 (t = 2/3 s) is column 100.
    Bytes b = version210();
    b.resize(512 + 4 * 400);
    b = conValor(b, 236, int64_t{400});
    const uint8_t cabecera[8] = {3, 2, 0, 0, 0, 0, 0, 0};
    b.insert(b.end(), cabecera, cabecera + 8);
    b = conValor(b, b.size() - 4, 300.0F);
    for (uint32_t p : {1U, 201U}) prueba::anadirValor(b, p);
    for (uint16_t t : {7, 9}) prueba::anadirValor(b, t);
    for (uint16_t c : {0, 1}) prueba::anadirValor(b, c);
    for (uint32_t d : {0U, 30U}) prueba::anadirValor(b, d);
    const Lectura r = leer(b);
    ASSERT_FALSE(r.eeg.matrices.empty()) << r.motivo;
    const auto& ev = r.eeg.tablaEventos->eventos;
    ASSERT_EQ(ev.size(), 2U) << r.avisos;
    EXPECT_EQ(ev[0].posicion, 0);
    EXPECT_EQ(ev[1].posicion, 100);
    EXPECT_EQ(ev[1].duracion, 15);
    EXPECT_EQ(ev[1].canal, 1);
    EXPECT_EQ(ev[1].tipo, 9);
}

TEST(LectorGdf2, CabeceraImposibleSeRechaza) {
    const std::pair<Bytes, const char*> casos[] = {
        {conValor(version210(), 252, uint16_t{0}), "ningún canal"},
        // 0xFFFF blocks of 256 bytes: far past the 18512-byte file.
        {conValor(version210(), 184, uint16_t{0xFFFF}), "longitud de cabecera"},
        // Two channels of 2 and 3 samples per record: neither holds the other.
        {conValor(prueba::bytesDeArchivo(formatos + "gdf2_51_139ch.gdf"), 256 + 139 * 216 + 4, uint32_t{3}),
         "distinto número de muestras"},
    };
    for (const auto& [bytes, contiene] : casos) {
        const Lectura r = leer(bytes);
        EXPECT_TRUE(r.eeg.matrices.empty()) << contiene;
        EXPECT_NE(r.motivo.find(contiene), std::string::npos) << r.motivo;
    }
}

// The 2.51 file names types 1 and 2 in its header extension. It was written
// from edfplus_139ch.edf: each event with a text must carry the text of the
// EDF+ annotation at the same column (MNE-Python's reading of that file).
TEST(LectorGdf2, TiposNombradosEnLaExtensionTomanSuTexto) {
    const Lectura r = leer(prueba::bytesDeArchivo(formatos + "gdf2_51_139ch.gdf"));
    ASSERT_TRUE(r.eeg.tablaEventos);
    const TablaEventos& t = *r.eeg.tablaEventos;
    EXPECT_EQ(t.textos.size(), 2U);
    const prueba::ReferenciaFormato edf =
        prueba::leerReferencia(ONDELAR_RAIZ "/tests/data/formatos/edfplus_139ch.tsv");
    size_t conTexto = 0;
    for (const Evento& e : t.eventos) {
        const auto texto = t.textos.find({e.tipo, e.calificador});
        if (texto == t.textos.end()) continue;
        ++conTexto;
        const auto igual = std::find_if(edf.eventos.begin(), edf.eventos.end(),
                                        [&](const auto& a) { return a.columna == e.posicion; });
        ASSERT_NE(igual, edf.eventos.end()) << e.posicion;
        EXPECT_EQ(texto->second, igual->texto) << e.posicion;
    }
    EXPECT_EQ(conTexto, 4U);  // three "type A", one "type B"; "start" is type 1408, not a user type
    EXPECT_EQ(nombreTipo(t, t.tipos[1]), "1.1 (type A)");
}
