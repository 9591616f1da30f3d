#pragma once
// Reader of BrainVision recordings: a text header (.vhdr) naming a binary
// data file (.eeg) and a marker file (.vmrk), both beside it.
//
// - Binary data only: INT_16, INT_32 or IEEE_FLOAT_32, multiplexed (one
//   value per channel for each sample) or vectorised (all samples of one
//   channel, then the next), little or big endian.
// - Each channel's value is stored x its resolution, in µV: a resolution in
//   nV or mV is converted (unit "uV" in the record).
// - Texts are read as UTF-8, or as Latin-1 when the codepage says ANSI (or,
//   without a codepage line, when the text is not valid UTF-8).
// - Markers: a stimulus "S  n" becomes an event of tipo n, calificador 1; a
//   response "R  n" tipo n, calificador 2; any other marker is kept by its
//   description (its type when the description is empty): each distinct text
//   is one kind, numbered by first appearance with calificador 3, the text in
//   the table's textos. Positions count from 1 in the file and become the
//   column minus one; a marker's point count becomes its duration.
// - The date of the first "New Segment" marker is the recording's start
//   (fechaHora); twenty zeros, or no date, leave it unknown.
// - A multiplexed data file shorter than the header's count keeps its
//   complete samples, with a warning.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "io/FileReader.h"
#include "io/valoresBinarios.h"

// A header or marker text that cannot be used; what() is a Spanish clause in
// lower case, as motivoFallo().
class ErrorBrainVision : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CanalBrainVision {
    std::string etiqueta;
    std::string unidad = "uV";  // "uV" for a voltage, the file's text otherwise
    double factor = 1.0;        // resolution, x the unit's factor to µV for a voltage
};

struct CabeceraBrainVision {
    std::string archivoDatos;
    std::string archivoMarcas;  // empty when the header names none
    bool multiplexado = true;
    bool bigEndian = false;
    TipoValor tipo = TipoValor::int16;
    double intervaloMicrosegundos = 0.0;
    std::optional<int64_t> puntos;  // DataPoints, when given
    std::vector<CanalBrainVision> canales;
};

// Parses a .vhdr text. Throws ErrorBrainVision when it is not a BrainVision
// header, declares ASCII or frequency-domain data, an unknown binary format
// or orientation, a channel count that its text cannot hold, a missing or
// malformed channel line, or a sampling interval that is not positive.
CabeceraBrainVision interpretarCabeceraBrainVision(std::string_view texto);

struct MarcaBrainVision {
    std::string tipo;         // "Stimulus", "Response", "New Segment"...
    std::string descripcion;  // "S  1"...
    int64_t posicion = 0;     // as in the file: 1 is the first sample
    int64_t puntos = 0;
    int64_t canal = 0;        // 0: every channel
    std::string fecha;        // "New Segment": YYYYMMDDhhmmssuuuuuu, or empty
};

// Parses a .vmrk text; malformed marker lines are skipped. Throws
// ErrorBrainVision when it is not a BrainVision marker file.
std::vector<MarcaBrainVision> interpretarMarcasBrainVision(std::string_view texto);

// The event table of `marcas` for a recording of `muestras` samples and
// `canales` channels (see the reader's rules above); *descartados gets how
// many markers fell outside the recording.
std::shared_ptr<TablaEventos> eventosBrainVision(const std::vector<MarcaBrainVision>& marcas, int64_t muestras,
                                                 uint32_t canales, size_t* descartados);

class BrainVisionFileReader : public FileReader {
public:
    BrainVisionFileReader() = default;

    // `ruta` is the .vhdr file. Refused (empty EEG, motivoFallo() set): the
    // header's refusals above, a missing data or marker file, a data file
    // whose size does not match the header's count (a vectorised file of
    // another size, or a longer file than the count), no complete sample.
    EEG leer(std::string ruta) override;

private:
    // The phases of decodificar, in order: each that can refuse the file
    // returns false after fallar.
    struct Lectura;
    EEG decodificar() override;
    bool leerCabecera(Lectura& l);
    bool leerMarcas(Lectura& l);
    bool medirDatos(Lectura& l);
    bool reservarRegistro(Lectura& l, EEG& eeg);
    bool leerMuestras(const Lectura& l, EEG& eeg);
    bool leerMultiplexado(const Lectura& l, double* destino);
    bool leerVectorizado(const Lectura& l, double* destino);
    void crearEventos(Lectura& l, EEG& eeg);
    // A file the header names, found beside it unless its path is absolute.
    // The path of a companion named in the header's field `campo`; nullopt
    // (after fallar) when the name points outside the header's folder.
    std::optional<std::string> rutaVecina(const std::string& nombre, const char* campo);

    std::string carpeta_;  // folder of the .vhdr file; data and markers are found there
};
