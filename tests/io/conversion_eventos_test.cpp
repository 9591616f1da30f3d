#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "io/cargarRegistro.h"
#include "io/guardarRama.h"
#include "tests/io/archivosPrueba.h"

namespace fs = std::filesystem;

// Every sample recording saved by every writer that keeps events (GDF, EDF+,
// BDF+) and read back: each event keeps its position, tipo, calificador and
// the kind's name (the channel and duration where the format stores them).
// The reference is the recording as our reader reads it, checked in turn
// against the data README (p300: 720 events, first at GDF position 2313 of
// type 6, in lector_fabrica_test.cpp) and, for the BrainVision markers,
// against the kinds worked out by hand. So p300's kinds survive every writer
// and promediado:6.1 averages the same stimuli.

namespace {

struct EventoVisto {
    int32_t posicion, tipo, calificador;
    std::string nombre;
    int32_t duracion, canal;
    bool operator<(const EventoVisto& o) const {
        return std::tie(posicion, tipo, calificador, nombre) < std::tie(o.posicion, o.tipo, o.calificador, o.nombre);
    }
};

// The events in position order (ties by kind): EDF+ gives them sorted.
std::vector<EventoVisto> eventos(const EEG& e) {
    std::vector<EventoVisto> r;
    if (!e.tablaEventos) return r;
    const TablaEventos& t = *e.tablaEventos;
    for (const Evento& v : t.eventos) {
        const auto n = t.textos.find({v.tipo, v.calificador});
        r.push_back({v.posicion, v.tipo, v.calificador, n != t.textos.end() ? n->second : "", v.duracion, v.canal});
    }
    std::stable_sort(r.begin(), r.end());
    return r;
}

void comprobarIdaYVuelta(const EEG& original, const std::string& carpeta, const std::string& nombre) {
    const std::vector<EventoVisto> antes = eventos(original);
    for (const std::string ext : {"gdf", "edf", "bdf"}) {
        SCOPED_TRACE(nombre + " -> " + ext);
        const std::string ruta = carpeta + "/" + nombre + "." + ext;
        guardarRama(original, ruta);
        const std::vector<EventoVisto> despues = eventos(cargarRegistro(ruta));
        ASSERT_EQ(despues.size(), antes.size());
        for (size_t i = 0; i < antes.size(); ++i) {
            const EventoVisto &a = antes[i], &d = despues[i];
            EXPECT_EQ(std::tie(d.posicion, d.tipo, d.calificador, d.nombre, d.duracion),
                      std::tie(a.posicion, a.tipo, a.calificador, a.nombre, a.duracion)) << "evento " << i;
            if (ext == "gdf" && original.tablaEventos->modo == 3) EXPECT_EQ(d.canal, a.canal) << "evento " << i;
        }
        fs::remove(ruta);
    }
}

const char* const muestras[] = {
    "p300_8ch.gdf",           "p300_8ch.dat",           "motor_64ch.dat",
    "formatos/gdf2_10_1ch.gdf", "formatos/gdf2_51_139ch.gdf", "formatos/edfplus_139ch.edf",
    "formatos/bdf_4ch_status.bdf", "formatos/test_NO.vhdr",
};

}  // namespace

TEST(ConversionEventos, CadaMuestraPorCadaEscritorConservaSusEventos) {
    const prueba::CarpetaTemporal t;
    for (const std::string m : muestras) {
        SCOPED_TRACE(m);
        const EEG original = cargarRegistro("../shared/data/" + m);
        comprobarIdaYVuelta(original, t.ruta(), fs::path(m).stem().string());
    }
}

// The BrainVision sample with the markers of a real session: "New Segment",
// two stimuli "S  1", a response "R  1" and a comment. By the reader's rules
// (io/BrainVisionFileReader.h): S 1 is 1.1 without a name, R 1 is 1.2 named
// "R  1", New Segment 1.3 and the comment 2.3, named by their texts. Before,
// GDF gave all of them 1.1 and EDF+ numbered them 1.1 to 4.1.
TEST(ConversionEventos, MarcasBrainVisionConservanTipoYCalificador) {
    const prueba::CarpetaTemporal t;
    const std::string origen = "../shared/data/formatos/";
    fs::copy_file(origen + "test_NO.vhdr", t.ruta() + "/test_NO.vhdr");
    fs::copy_file(origen + "test_NO.eeg", t.ruta() + "/test_NO.eeg");
    t.escribir("test_NO.vmrk",
               "Brain Vision Data Exchange Marker File Version 1.0\r\n[Common infos]\r\nCodepage=UTF-8\r\n"
               "DataFile=test_NO.eeg\r\n[Marker infos]\r\n"
               "Mk1=New Segment,,1,1,0,00000000000000000000\r\nMk2=Stimulus,S  1,101,1,0\r\n"
               "Mk3=Response,R  1,350,1,0\r\nMk4=Stimulus,S  1,901,1,0\r\nMk5=Comment,sin registro,1500,1,0\r\n");
    const EEG original = cargarRegistro(t.ruta() + "/test_NO.vhdr");
    const std::vector<EventoVisto> esperados = {{0, 1, 3, "New Segment", 1, 0}, {100, 1, 1, "", 1, 0},
                                                {349, 1, 2, "R  1", 1, 0},        {900, 1, 1, "", 1, 0},
                                                {1499, 2, 3, "sin registro", 1, 0}};
    const std::vector<EventoVisto> leidos = eventos(original);
    ASSERT_EQ(leidos.size(), esperados.size());
    for (size_t i = 0; i < esperados.size(); ++i) {
        const EventoVisto &l = leidos[i], &e = esperados[i];
        EXPECT_EQ(std::tie(l.posicion, l.tipo, l.calificador, l.nombre),
                  std::tie(e.posicion, e.tipo, e.calificador, e.nombre))
            << i;
    }
    comprobarIdaYVuelta(original, t.ruta(), "marcas");
}

// Kinds at the edges of each encoding: tipo 0 and beyond 16 bits, a name
// that itself reads as a kind, a foreign code beside a named one, a kind
// (300, 1) kept as GDF code 300, and durations.
TEST(ConversionEventos, ClasesLimite) {
    const prueba::CarpetaTemporal t;
    EEG e(250, 2, 1000);
    e.matrices[0].randn();
    (*e.canales)[0].etiqueta = "Cz";
    (*e.canales)[1].etiqueta = "Pz";
    e.tablaEventos = std::make_shared<TablaEventos>();
    e.tablaEventos->modo = 3;
    const Evento eventosRama[] = {{0, 10, 1, 0, 0},      {5, 20, 1, 0, 25},    {70000, 30, 7, 0, 0},
                                  {300, 40, 1, 0, 0},    {2, 50, 1, 0, 0},     {2, 60, 9, 0, 0},
                                  {-3, 70, 2, 0, 0}};
    for (int i = 0; i < 7; ++i) fijarEvento(*e.tablaEventos, eventosRama[i], i);
    e.tablaEventos->numeroEventos = 7;
    e.tablaEventos->textos[{5, 1}] = "1.2 parece una clase";
    e.tablaEventos->textos[{2, 9}] = "con nombre";
    e.tablaEventos->textos[{70000, 7}] = "grande";
    comprobarIdaYVuelta(e, t.ruta(), "limite");
}
