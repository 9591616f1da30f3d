#pragma once
// Events from a BIDS *_events.tsv table: tab-separated, a header line naming
// the columns, one event a line. `onset` (seconds from the first sample) is
// required, `duration` (seconds or "n/a") optional, and the kind comes from
// `value` or `trial_type`, at least one of which must be a column.
//
// Kinds follow the EDF+ reader's convention (io/claseEvento.h): a value that
// is a positive integer k is the kind k.1; a value written "tipo.calificador"
// is that kind; any other event takes its trial_type text (or, when that is
// empty or "n/a", its value text) as a kind of its own, numbered from one
// above the largest number the values use, in order of first appearance,
// with calificador 1 and the text kept as the kind's name. A numbered kind
// whose lines also give a trial_type is named after the first one.

#include <cstddef>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>

#include "io/EEG.h"

// A table that cannot be read; what() names the line, in Spanish.
class ErrorEventosTSV : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct EventosTSV {
    std::shared_ptr<TablaEventos> tabla;  // null when the file lists no event inside the recording
    size_t descartados = 0;               // events whose onset falls outside the recording
};

// Reads the table for a recording of `muestras` samples at `frecuencia` Hz:
// onset and duration go to the nearest sample. Throws ErrorEventosTSV for a
// missing column, a line with another number of fields than the header, an
// onset or duration that is not a finite number (or a negative duration), and
// an event with neither value nor trial_type; std::invalid_argument for a rate
// of 0 or below.
EventosTSV leerEventosTSV(std::istream& texto, double frecuencia, int64_t muestras);

// The same from a file; ErrorEventosTSV also when it cannot be opened.
EventosTSV leerEventosTSV(const std::string& ruta, double frecuencia, int64_t muestras);
