#pragma once
// Reader of EDF, EDF+, BDF and BDF+ recordings through EDFlib.
//
// - The signals at the recording's most common rate become the channels, in
//   file order; signals at other rates are left out and a warning names them.
// - Physical values as EDFlib gives them (it limits each sample to the
//   digital range its header declares); voltages in V, mV or nV are
//   converted to µV (unit "uV"), other units are kept with their text.
// - EDF+/BDF+ annotations become events: an annotation that writes a kind
//   as our writer does ("tipo.calificador", then the name: io/claseEvento.h)
//   is that kind, with that name; any other distinct text is one kind (tipo
//   numbered by first appearance after the largest tipo of those, calificador
//   1, the text kept in the table's textos). The onset becomes the nearest
//   column, the duration a count of samples.
// - In BDF and BDF+, a signal labelled "Status" is the trigger channel: it
//   becomes events (one at each change of its low 16 bits to a non-zero value
//   k: tipo k, calificador 1) and is not a channel. Annotation texts are then
//   numbered after the largest trigger value, so the two never share a kind.
// - The start (fechaHora) comes from the header's own date and time fields
//   and, in EDF+, the recording field's "Startdate" (io/fechaHora.h), with
//   EDFlib's fraction of a second.
//
// EDFlib opens the file and gives the header, the signals and the
// annotations; the data records are then decoded here, in stretches of
// whole records on two threads, with EDFlib's own conversion to physical
// values: EDFlib reads sample by sample, some twenty times slower. Should
// EDFlib's view of the signals not match the file's header, its own sample
// reading is used instead.
//
// EDFlib wants a whole, well-formed file. Before handing it over, the reader
// checks the fixed header itself, so that an impossible header is refused
// before anything is allocated; a file cut short (or with a record count of
// -1), or one with bytes after its last record, is passed on as a copy
// holding only its complete data records, with a warning.
//
// A header EDFlib refuses (a rule of EDF+ broken where the data are safe, as
// BCI2000's export does; any EDF+D/BDF+D file) is read here instead
// (io/cabeceraEdf.h): each broken rule is a warning, and what would change
// the samples is refused. A discontinuous file becomes one continuous
// branch, its records one after the other, with an event "Hueco de 2.5 s"
// where each gap was, and a warning.

#include <string>
#include <vector>

#include "io/FileReader.h"

class ArchivoCompartido;
struct CabeceraEdf;

// True for the label of a BDF trigger channel: "Status" in any case, padding
// aside. The writer avoids it for data channels.
bool esEtiquetaDisparoBDF(const std::string& etiqueta);

class EdfFileReader : public FileReader {
public:
    EdfFileReader() = default;
    // With muestrasPorEdflib, the samples are read through EDFlib's sample
    // functions rather than decoded here: the reference the tests compare with.
    explicit EdfFileReader(bool muestrasPorEdflib) : muestrasPorEdflib_(muestrasPorEdflib) {}

    // Refused (empty EEG, motivoFallo() set): unopenable file, not EDF or BDF,
    // a header whose signal count, header length, record count, record
    // duration or samples per record are impossible, a data signal whose
    // ranges give no scale, no complete data record, records that overlap or
    // a discontinuous record without its start, no signal that is not the
    // trigger channel, a most common rate below 1 Hz.
    EEG leer(std::string ruta) override;

private:
    // The phases of decodificar, in order: each returns false after fallar.
    struct Lectura;
    EEG decodificar() override;
    bool leerCabeceraFija(Lectura& l);
    bool leerMuestrasPorRegistro(Lectura& l);
    bool contarRegistros(Lectura& l);
    bool abrirConEdflib(Lectura& l);
    bool abrirSinEdflib(Lectura& l);
    bool leerTiemposSinEdflib(Lectura& l, const CabeceraEdf& c, const std::vector<size_t>& senales);
    bool elegirSenales(Lectura& l);
    bool reservarRegistro(Lectura& l, EEG& eeg);
    void describirCanales(Lectura& l, EEG& eeg);
    bool leerDatos(Lectura& l, EEG& eeg);
    bool decodificarDatos(Lectura& l, const ArchivoCompartido& archivoDatos, const std::vector<int>& mapa,
                          double* destino);
    bool leerDatosPorEdflib(Lectura& l, double* destino);
    void leerAnotaciones(Lectura& l, EEG& eeg);

    std::string rutaArchivo_;  // the file being read by leer; empty when reading memory
    bool muestrasPorEdflib_ = false;
};
