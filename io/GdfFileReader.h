#pragma once
// Reader of GDF recordings of version 1 and 2.10 to 2.51 (fixed header,
// channel headers, data records, event table). Values are physical, in the
// channel's unit: physmin + (digital - digmin) x (physmax - physmin) /
// (digmax - digmin), for every data type (64-bit floats included, as other
// GDF readers do; header ranges are taken as stored). A channel whose ranges
// define no scale keeps its stored values, with a warning. Other versions are recognised and refused. In version 2 the
// data start at the header length, past the header extension; a channel with
// fewer samples per record than the fastest (a divisor of it) has each value
// held over the columns it spans, the event types that the header extension
// describes take its texts (as EDF+ annotations do; a text that writes a kind
// as io/claseEvento.h does, as our writer's do, gives its code that kind),
// and event positions and durations given at
// another rate than the signal's are rescaled to its columns. The record
// duration is a fraction of two uint32 up to version 2.20 and a float64 in
// seconds from 2.21 on. The start date (text in version 1, a fixed-point day
// count in version 2) becomes fechaHora (io/fechaHora.h).
//
// Event positions: GDF counts samples from 1 (position k is the k-th sample),
// while an Evento's posicion is a column of the sample matrix, counted from 0,
// so the reader stores the file's position minus one. Events at position 0 or
// past the last sample read are dropped, and the user is told how many.
//
// A file shorter than its header promises keeps only its complete records;
// the user is told how many samples of how many were read (avisos()).

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "io/FileReader.h"
#include "io/claseEvento.h"

class GdfFileReader : public FileReader {
public:
    GdfFileReader() = default;

    // Refused (empty EEG, motivoFallo() set): unopenable file, not a GDF file,
    // a version field other than "GDF 1.dd" or "GDF 2.10" to "GDF 2.51", a
    // header length below 256 x (NS + 1) or past the end of the file, no
    // channels, a negative or zero record count, a zero record duration, a
    // sampling rate below 1 Hz or above 1 MHz, channels with no samples per
    // record or with different ones (in version 2, ones that do not divide
    // the largest), a data type other than 1-7, 16 and 17, no complete record
    // in the file. Nothing is allocated beyond what the file's bytes can fill.
    // Warned about: a short file, channels without a physical scale, an event
    // table that is cut, of an unknown mode (only 1 and 3 are read) or with
    // events outside the samples.
    EEG leer(std::string ruta) override;

private:
    // The phases of decodificar, in order: each that can refuse the file
    // returns false after fallar.
    struct Lectura;
    EEG decodificar() override;
    bool leerVersion(Lectura& l);
    bool leerCabeceraFija(Lectura& l);
    bool comprobarCabeceraFija(const Lectura& l);
    void leerCabecerasCanales(Lectura& l);
    bool comprobarFormatos(Lectura& l);
    void calcularEscalas(Lectura& l);
    bool calcularFrecuencia(Lectura& l);
    bool contarRegistros(Lectura& l);
    bool reservarRegistro(Lectura& l, EEG& eeg);
    bool leerDatos(const Lectura& l, EEG& eeg);
    void leerTablaEventos(Lectura& l, EEG& eeg);
    // Reads the table at the current position into eeg.tablaEventos (always
    // set, mode 1 or 3), each event code that `clases` holds becoming that
    // kind and any other (code, 1); what the user must know goes into `notas`.
    void leerEventos(EEG& eeg, std::vector<std::string>& notas, bool v2, double frecuencia,
                     const std::map<int32_t, ClaseEvento>& clases);
    static std::shared_ptr<TablaEventos> tablaVacia();
    // Texts of the user event types (1-255) that a version-2 header
    // extension between bytes `desde` and `hasta` describes in its tag 1: a
    // list of NUL-terminated strings, string k describing type k (string 0,
    // type 0, is empty; so is that of a type without text). Empty when there
    // is no such tag.
    std::map<int32_t, std::string> leerDescripcionesEventos(int64_t desde, int64_t hasta);
};
