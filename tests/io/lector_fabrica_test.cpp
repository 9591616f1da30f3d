// The real recordings, the reader factory and cargarRegistro.
#include <gtest/gtest.h>

#include <map>

#include "io/BrainVisionFileReader.h"
#include "io/DatFileReader.h"
#include "io/EdfFileReader.h"
#include "io/GdfFileReader.h"
#include "io/cargarRegistro.h"
#include "io/crearLector.h"
#include "tests/io/archivosPrueba.h"
#include "tests/io/capturas.h"

namespace {

const std::string datos = ONDELAR_RAIZ "/../shared/data/";

template <class L>
EEG leerArchivo(const std::string& ruta) {
    L lector;
    EEG e = lector.leer(ruta);
    EXPECT_EQ(lector.motivoFallo(), "") << ruta;
    EXPECT_TRUE(lector.avisos().empty()) << ruta << ": " << (lector.avisos().empty() ? "" : lector.avisos()[0]);
    return e;
}

std::unique_ptr<FileReader> crearCallado(const std::string& ruta) {
    std::unique_ptr<FileReader> l;
    prueba::capturar([&] { l = crearLector(ruta); });
    return l;
}

}  // namespace

TEST(RegistrosReales, P300DatYGdfIgualesConLosMismosEventos) {
    const EEG d = leerArchivo<DatFileReader>(datos + "p300_8ch.dat");
    const EEG g = leerArchivo<GdfFileReader>(datos + "p300_8ch.gdf");
    for (const EEG* e : {&d, &g}) {
        EXPECT_EQ(e->frecuenciaMuestreo, 256);
        ASSERT_EQ(arma::size(e->datos()), arma::size(8, 56840));
        const std::vector<std::string> etiquetas = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};
        for (size_t c = 0; c < 8; ++c) EXPECT_EQ((*e->canales)[c].etiqueta, etiquetas[c]);  // no field padding
        EXPECT_EQ((*e->canales)[0].unidad, "uV");
        // StorageTime= "Thu%20Mar%2005%2011:56:24%202009" in the .dat, "2009030511562400" in the GDF.
        ASSERT_TRUE(e->fechaHora);
        EXPECT_EQ(textoISO8601(*e->fechaHora), "2009-03-05T11:56:24");
    }
    // Both in µV, 0.019 µV per count: the .dat as count x SourceChGain, the
    // GDF through its ranges. Its gain 1245.165 / 65535 rounds to the same
    // double as 0.019 and its offset -622.592 + 32768 x gain to exactly 0, so
    // both readers compute count x 0.019 with one rounding: equal to the bit.
    EXPECT_TRUE(arma::approx_equal(g.datos(), d.datos(), "absdiff", 0.0));
    EXPECT_LT(arma::abs(d.datos()).max(), 623.0);
    // MNE-Python reads 7.581, 1.672, -5.206 µV for Fz (tests/data/formatos/escala_gdf_mne.txt).
    EXPECT_NEAR(d.datos()(0, 0), 7.581, 1e-12);
    EXPECT_NEAR(g.datos()(0, 2), -5.206, 1e-12);
    EXPECT_EQ(d.sujeto, "PXB");
    EXPECT_EQ(d.identificacionRegistro, "001-02");
    EXPECT_DOUBLE_EQ(d.tiempoFin, 222.0);  // 56839 / 256 in integer division
    EXPECT_EQ(d.fechaRegistro, "Thu Mar 05 11:56:24 2009");  // the fields' texts, as read
    EXPECT_EQ(g.fechaRegistro, "2009030511562400");

    ASSERT_TRUE(g.tieneEventos());
    const TablaEventos& t = *g.tablaEventos;
    EXPECT_EQ(t.modo, 1);
    ASSERT_EQ(t.eventos.size(), 720u);
    EXPECT_EQ(t.numeroTipos, 12);
    std::map<int32_t, int> porTipo;
    for (const Evento& e : t.eventos) {
        ++porTipo[e.tipo];
        EXPECT_EQ(e.calificador, 1);
        EXPECT_TRUE(e.posicion >= 0 && e.posicion < g.numeroMuestras);
    }
    for (int tipo = 1; tipo <= 12; ++tipo) EXPECT_EQ(porTipo[tipo], 60) << tipo;
    // The file stores 2313 (GDF counts samples from 1): the first flash starts at
    // column 2312, the sample where the .dat file's StimulusCode state turns on.
    EXPECT_EQ(t.eventos[0].posicion, 2312);
    EXPECT_EQ(t.eventos[0].tipo, 6);
    // The .dat file's StimulusCode state gives the same events.
    ASSERT_TRUE(d.tieneEventos());
    const TablaEventos &td = *d.tablaEventos, &tg = *g.tablaEventos;
    EXPECT_EQ(td.modo, 1);
    EXPECT_EQ(prueba::eventosDistintos(d, g), "");
    // The kinds in the same order: averaging either file by rows of kinds gives the same branch.
    ASSERT_EQ(td.tipos.size(), tg.tipos.size());
    for (size_t k = 0; k < td.tipos.size(); ++k) EXPECT_EQ(td.tipos[k].tipo, tg.tipos[k].tipo);
}

TEST(RegistrosReales, MotorSesentaYCuatroCanalesA160Hz) {
    const EEG e = leerArchivo<DatFileReader>(datos + "motor_64ch.dat");
    EXPECT_EQ(e.frecuenciaMuestreo, 160);
    EXPECT_EQ(arma::size(e.datos()), arma::size(64, 19696));
    // SubjectRun= comes before SubjectSession= in this header: still session-run.
    EXPECT_EQ(e.identificacionRegistro, "000-03");
    ASSERT_TRUE(e.fechaHora);  // StorageTime= Thu%20Sep%2004%2012:59:22%202008
    EXPECT_EQ(*e.fechaHora, (FechaHora{2008, 9, 4, 12, 59, 22, 0}));
}

TEST(RegistrosReales, RutasConAcentosYArchivosQueNoSeAbren) {
    prueba::CarpetaTemporal carpeta;
    const prueba::Bytes dat =
        prueba::archivoDat(1, 0, {"x SamplingRate= 1", "x SourceChGain= 1 1", "x SourceChOffset= 1 0"}, {{1}, {2}, {3}});
    prueba::GdfPrueba g;
    g.canales.resize(1);
    g.registros = 3;
    g.datos = {1, 0, 2, 0, 3, 0};
    EXPECT_TRUE(arma::approx_equal(leerArchivo<DatFileReader>(carpeta.escribir("señal_ñandú.dat", dat)).datos(),
                                   leerArchivo<GdfFileReader>(carpeta.escribir("registro_é.gdf", prueba::archivoGdf(g))).datos(),
                                   "absdiff", 0.0));
    DatFileReader lector;
    EXPECT_EQ(prueba::capturar([&] { EXPECT_TRUE(lector.leer("/no/existe/nada.dat").matrices.empty()); }).salida,
              "fallo al abrir el archivo\n");
    EXPECT_FALSE(lector.motivoFallo().empty());
    lector.leer("/tmp");  // a folder is not a recording either
    EXPECT_FALSE(lector.motivoFallo().empty());
    lector.leerMemoria(dat.data(), dat.size());  // the same reader reads again; the failure does not linger
    EXPECT_EQ(lector.motivoFallo(), "");
}

TEST(CrearLector, SoloCuentaLaUltimaExtension) {
    for (auto [ruta, tipo] : {std::pair{"/datos/sesion.GdF", "GDF"}, {"a.dat", "DAT"}})
        EXPECT_EQ(prueba::capturar([&] { crearLector(ruta); }).salida,
                  std::string("loading... ") + ruta + "\ndetectado tipo " + tipo + "\n");
    EXPECT_NE(dynamic_cast<GdfFileReader*>(crearCallado("/datos/sesion.GdF").get()), nullptr);
    EXPECT_NE(dynamic_cast<DatFileReader*>(crearCallado("x.gdf.dat").get()), nullptr);
    EXPECT_NE(dynamic_cast<GdfFileReader*>(crearCallado("gdf").get()), nullptr);  // no "." at all: the whole path
    for (const char* r : {"a.edf", "a.EDF", "a.Bdf"}) EXPECT_NE(dynamic_cast<EdfFileReader*>(crearCallado(r).get()), nullptr) << r;
    EXPECT_NE(dynamic_cast<BrainVisionFileReader*>(crearCallado("a.VHDR").get()), nullptr);
    for (const char* ruta : {"/datos.gdf/archivo", "registro.vmrk", "registro.gdff", "registro.", ""})
        EXPECT_EQ(crearCallado(ruta), nullptr) << ruta;
}

TEST(CargarRegistro, FallosLanzanErrorLecturaConRutaYMotivo) {
    prueba::CarpetaTemporal carpeta;
    for (const auto& [ruta, fragmento] :
         {std::pair<std::string, std::string>{"/no/existe.gdf", "no existe"},
          {carpeta.escribir("v2.gdf", prueba::archivoGdf({"GDF 2.60"})), "versión 2"},
          {carpeta.escribir("vacio.dat", std::string()), "CR LF"},
          {carpeta.escribir("registro.eeg", std::string("0       ")), "extensión"}}) {
        const std::string motivo = prueba::capturar([&] {
            EXPECT_THROW(cargarRegistro(ruta), ErrorLectura);
            cargarRegistro(ruta);
        }).excepcion;
        EXPECT_NE(motivo.find(ruta), std::string::npos) << motivo;
        EXPECT_NE(motivo.find(fragmento), std::string::npos) << motivo;
    }
}

TEST(CargarRegistro, ConCedPoneEtiquetasYLocalizaciones) {
    EEG e;
    prueba::capturar([&] {
        e = cargarRegistro(datos + "p300_8ch.gdf", datos + "p300_8ch.ced");
        EXPECT_THROW(cargarRegistro(datos + "motor_64ch.dat", datos + "p300_8ch.ced"), ErrorLectura);
        EXPECT_THROW(cargarRegistro(datos + "p300_8ch.gdf", std::string("/no/existe.ced")), ErrorLectura);
    });
    EXPECT_EQ((*e.canales)[0].etiqueta, "Fz");
    EXPECT_TRUE((*e.canales)[7].localizacion.has_value());
}
