#pragma once
// The EDF/BDF(+) header read by Ondelar itself, for the files EDFlib refuses:
// exporters such as BCI2000's put a transducer text and a dimension "-" on
// the annotation signal, and EDF+D files have gaps between their records.
//
// A field that breaks the EDF+ rules but cannot change a sample or an
// event's time becomes a warning naming the field and the signal; a field
// that would (a data signal's ranges, the record duration, an unreadable
// number) refuses the file. And the time-keeping of EDF+ annotations: each
// data record's annotation signal starts with "+t\x14\x14", the record's
// start in seconds; other annotations follow as "+t\x15d\x14text\x14".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SenalCabeceraEdf {
    std::string etiqueta, transductor, dimension, prefiltrado;  // padding removed
    double fisicoMinimo = 0.0, fisicoMaximo = 0.0;
    int32_t digitalMinimo = 0, digitalMaximo = 0;
    int64_t muestrasPorRegistro = 0;
    bool anotaciones = false;  // "EDF Annotations" / "BDF Annotations" in EDF+/BDF+
};

struct CabeceraEdf {
    bool bdf = false;
    bool plus = false;          // EDF+ or BDF+
    bool discontinuo = false;   // EDF+D or BDF+D
    std::string paciente, registro;  // padding removed
    int dia = 0, mes = 0, anio = 0, hora = 0, minuto = 0, segundo = 0;  // 0 when unreadable
    double duracionRegistro = 0.0;   // seconds
    std::vector<SenalCabeceraEdf> senales;  // every signal, annotation signals included
};

struct RevisionCabeceraEdf {
    std::optional<CabeceraEdf> cabecera;  // nullopt when refused
    std::string motivo;                   // why, a clause in lower case
    std::vector<std::string> avisos;      // one sentence per field that breaks the rules
};

// `bytes`: the whole header, 256 x (signals + 1) bytes, whose fixed fields
// (signal count, header length, record count, samples per record) the
// reader has already checked.
RevisionCabeceraEdf revisarCabeceraEdf(std::string_view bytes);

// One annotation: onset in seconds from the file's start time (the header's),
// duration in seconds or negative when absent.
struct AnotacionEdf {
    double inicio = 0.0;
    double duracion = -1.0;
    std::string texto;
};

struct TalsRegistro {
    std::optional<double> inicioRegistro;   // the time-keeping onset, when present
    std::vector<AnotacionEdf> anotaciones;  // each text of each other TAL
    bool malformado = false;                // a TAL that could not be read (skipped)
};

// The TALs of one data record's annotation signal (NUL padded).
TalsRegistro leerTals(std::string_view bytes);
