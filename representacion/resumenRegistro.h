#pragma once
// What the window's list of recordings says about a recording and each of its
// branches, column by column, so that a user sees where they are by name
// rather than by the selectors' numbers. No Qt here; the window only lays the
// texts out.

#include <cstdint>
#include <string>

#include "io/EEG.h"

struct LineaRegistro {
    std::string nombre;      // "p300_8ch.gdf" for a recording, "eeg 1-2" for a branch
    std::string formato;     // a recording's format, by its extension; empty for a branch
    std::string canales;     // "8"
    std::string frecuencia;  // "256 Hz"
    std::string duracion;    // "12.5 s", or "m:ss.s" from a minute on ("3:20.0")
    std::string eventos;     // "6.1 ×20, 768.1 ×240" by kind in table order, or "sin eventos"
    std::string historia;    // the steps applied ("CAR Promediado"), or "registro leído"
};

// The format a recording's extension names: "GDF", "EDF/EDF+", "BDF/BDF+",
// "BCI2000", "BrainVision", or the extension in upper case for another one
// ("" without any).
std::string formatoDeRuta(const std::string& ruta);

// The recording's own line: its file name without folders (or "registro N"
// when it came from no file, N = archivo + 1), its format and the figures of
// the recording as read (its first branch), with no history.
LineaRegistro lineaArchivo(const EEG& registro, const std::string& ruta, int archivo);

// A branch's line: "eeg A-R" (1-based) and its own figures; a derived branch
// has fewer samples or no events after averaging.
LineaRegistro lineaRama(const EEG& rama, int archivo, int indiceRama);

// The whole line as one text, the non-empty columns joined by " · ".
std::string textoLinea(const LineaRegistro& linea);
