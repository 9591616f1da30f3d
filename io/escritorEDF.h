#pragma once
// EDF+ and BDF+ writer through EDFlib: the record's first matrix, one signal
// per channel, and its events as annotations.
//
// - Each channel is scaled on its own: its physical range is the channel's
//   minimum and maximum (widened outwards to what the header's 8-character
//   fields can hold), mapped onto the whole digital range (16 bits for EDF+,
//   24 for BDF+). A read-back value is within half a step of the written one.
// - Data records of L samples, L the largest length up to one second that
//   divides the sample count and whose duration the header can state; when
//   there is none, one-second records and the last one padded with the last
//   sample (the file then holds up to a second more than the branch).
// - Each event becomes an annotation at its column's time (to 100 µs), with
//   its duration when it has one; the text is its kind as io/claseEvento.h
//   writes it, "tipo.calificador" and the kind's name when the table names
//   it ("1.2 R  1"), which our reader turns back into the same kind.
// - The start date and time is the record's fechaHora (the fraction of a
//   second to 100 µs); an unknown start, or one outside the years 1985 to
//   2084 that the header's date field holds, is written as EDF+'s
//   anonymised date: startdate 01.01.85 and "Startdate X" in the recording field.
// - In BDF+, a data channel labelled "Status" (any case) is written as
//   "Status-datos": readers take a BDF "Status" signal for the trigger channel.
//   In both, one labelled "EDF Annotations" or "BDF Annotations" (any case)
//   is written as "EDF Annot-datos" (or "BDF Annot-datos"): readers would
//   take it for a second annotation signal.

#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

enum class FormatoEDF { EDF, BDF };

// The label each row of the first matrix gets in the file: the channel's,
// printable ASCII, at most 16 characters, "canalN" when empty, renamed as
// said above.
std::vector<std::string> etiquetasEscritasEDF(const EEG& eeg, FormatoEDF formato);

// Writes `eeg` to the file at `ruta` (overwritten). Throws std::runtime_error
// with a Spanish text when the record has no data, more channels than the
// format holds, a non-positive rate, non-finite values or values beyond the
// header's fields, more events than the annotation space can hold, or when
// EDFlib fails. avance hears the data records written. Messages name the
// file as nombreMostrado when given: the user's file, when `ruta` is the
// temporary file that will replace it.
void escribirEDF(const EEG& eeg, const std::string& ruta, FormatoEDF formato, const Avance& avance = Avance(),
                 const std::string& nombreMostrado = std::string());
