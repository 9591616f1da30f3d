#include <gtest/gtest.h>

#include "io/almacenEEG.h"
#include "representacion/resumenRegistro.h"

namespace {
// 8 channels at 256 Hz, 200 s; events: two of kind 768.1 and one of 6.1 (first).
EEG conEventos() {
    EEG e(256, 8, 256 * 200);
    e.tablaEventos = std::make_shared<TablaEventos>();
    int i = 0;
    for (const Evento& ev : {Evento{6, 10, 1}, Evento{768, 20, 1}, Evento{768, 40, 1}})
        fijarEvento(*e.tablaEventos, ev, i++);
    e.tablaEventos->numeroEventos = 3;
    return e;
}
}  // namespace

TEST(ResumenRegistro, ElArchivoPorSuNombreYFormato) {
    const LineaRegistro l = lineaArchivo(conEventos(), "/datos/sujeto 1/p300_8ch.gdf", 0);
    EXPECT_EQ(l.nombre, "p300_8ch.gdf");
    EXPECT_EQ(l.formato, "GDF");
    EXPECT_EQ(l.canales, "8");
    EXPECT_EQ(l.frecuencia, "256 Hz");
    EXPECT_EQ(l.duracion, "3:20.0");  // 200 s
    EXPECT_EQ(l.eventos, "6.1 \xC3\x97" "1, 768.1 \xC3\x97" "2");
    EXPECT_EQ(l.historia, "");
    EXPECT_EQ(lineaArchivo(conEventos(), "", 2).nombre, "registro 3");
}

TEST(ResumenRegistro, CadaFormatoPorSuExtension) {
    EXPECT_EQ(formatoDeRuta("a.EDF"), "EDF/EDF+");
    EXPECT_EQ(formatoDeRuta("a.bdf"), "BDF/BDF+");
    EXPECT_EQ(formatoDeRuta("motor.dat"), "BCI2000");
    EXPECT_EQ(formatoDeRuta("x.vhdr"), "BrainVision");
    EXPECT_EQ(formatoDeRuta("x.csv"), "CSV");
    EXPECT_EQ(formatoDeRuta("carpeta.v2/sin"), "");
}

TEST(ResumenRegistro, UnaRamaPorSuPosicionEHistoria) {
    EEG leida = conEventos();
    EXPECT_EQ(lineaRama(leida, 0, 0).historia, "registro le\xC3\xAD" "do");
    // An averaged epoch: 0.5 s at 256 Hz, no events, after CAR.
    EEG media(256, 8, 128);
    etiquetarRama(media, "CAR");
    etiquetarRama(media, "Promediado");
    const LineaRegistro l = lineaRama(media, 1, 2);
    EXPECT_EQ(l.nombre, "eeg 2-3");
    EXPECT_EQ(l.formato, "");
    EXPECT_EQ(l.duracion, "0.5 s");
    EXPECT_EQ(l.eventos, "sin eventos");
    EXPECT_EQ(l.historia, "CAR Promediado");
    EXPECT_EQ(textoLinea(l), "eeg 2-3 \xC2\xB7 8 \xC2\xB7 256 Hz \xC2\xB7 0.5 s \xC2\xB7 sin eventos \xC2\xB7 CAR Promediado");
}

TEST(AlmacenEEG, RecuerdaElArchivoDeCadaRegistro) {
    AlmacenEEG almacen;
    almacen.anadirArchivo(std::make_unique<EEG>(256, 1, 4), "/a/uno.gdf");
    almacen.anadirArchivo(std::make_unique<EEG>(256, 1, 4), "/a/dos.edf");
    almacen.borrarRama(0, 0);
    EXPECT_EQ(almacen.rutaArchivo(0), "/a/dos.edf");
    EXPECT_THROW(almacen.rutaArchivo(1), std::out_of_range);
}
