#pragma once
// Reader of GDF version 1 recordings (fixed header, channel headers, data
// records, event table). Version 2 and later are recognised and refused.
//
// Event positions: GDF counts samples from 1 (position k is the k-th sample),
// while an Evento's posicion is a column of the sample matrix, counted from 0,
// so the reader stores the file's position minus one. A position 0 (before the
// first sample) becomes -1, a position past 2^31 becomes INT32_MAX: both lie
// outside the matrix and users of the table must check the range.

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/FileReader.h"

class GdfFileReader : public FileReader {
public:
    GdfFileReader() = default;

    // Refused (empty EEG, motivoFallo() set): unopenable file, not a GDF file,
    // version 2 or later, unreadable version, a header length below
    // 256 x (NS + 1) or past the end of the file, no channels, a negative or
    // zero record count, a zero record duration, a sampling rate below 1 Hz,
    // channels with no samples per record or with different ones, a data type
    // other than 1-7, 16 and 17, data or an event table far larger than the
    // file can hold (checked before anything is allocated).
    EEG leer(std::string ruta) override;

private:
    EEG decodificar() override;
    bool leerEventos(EEG& eeg);
};
