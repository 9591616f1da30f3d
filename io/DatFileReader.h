#pragma once
// Reader of BCI2000 .dat recordings: a first line that gives the data layout
// (HeaderLen=, SourceCh=, StatevectorLen= and, in version 1.1, BCI2000V= and
// DataFormat=), a state vector definition, "Key= value" parameter lines, then
// per sample one value per channel followed by the state vector. When the
// state vector defines StimulusCode, each sample where it turns from 0 to k
// becomes an event of type k (qualifier 1, table mode 1). Values are in µV,
// (raw - SourceChOffset) x SourceChGain, when both lists give a number per
// channel; otherwise they stay in A/D units and the user is told. The
// StorageTime= text is kept as fechaRegistro and understood as fechaHora.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/FileReader.h"

class DatFileReader : public FileReader {
public:
    DatFileReader() = default;

    // Only the fields that lay out the data may refuse a file (empty EEG,
    // motivoFallo() set): no CR LF or no HeaderLen=, SourceCh= or
    // StatevectorLen= on the first line, a header length beyond the file, a
    // SourceCh= or DataFormat= parameter that disagrees with the first line,
    // a StateVectorLength= that does (unless it is too short for the states
    // defined: then the first line wins), a DataFormat= other than int16, int32 and float32,
    // a SamplingRate= that is missing, not a whole number of Hz (an optional
    // Hz or kHz unit), below 1 Hz or above 1 MHz, no channels, no complete
    // sample in the file. Other parameters that do not parse are ignored;
    // "%" is an empty value and %XX escapes are decoded in texts.
    EEG leer(std::string ruta) override;

private:
    struct Estado {  // one state of the state vector definition
        int64_t longitud = 0, byte = 0, bit = 0;
    };

    // The phases of decodificar, in order: each that can refuse the file
    // returns false after fallar.
    struct Lectura;
    EEG decodificar() override;
    bool leerCabecera();
    bool disponerDatos(Lectura& l);
    bool reservarRegistro(const Lectura& l, EEG& eeg);
    void describirCanales(Lectura& l, EEG& eeg);
    bool leerMuestras(Lectura& l, EEG& eeg);
    void crearEventos(const Lectura& l, EEG& eeg);
    void reiniciar();
    bool analizarPrimeraLinea(const std::string& linea);
    void analizarLinea(const std::string& linea);
    void analizarEstado(const std::string& linea);
    void errorDeCabecera(const std::string& texto);
    void comprobarIgual(const std::string& clave, const std::string& claveLinea, int64_t valor,
                        std::optional<int64_t> primeraLinea);
    void fijarFormato(const std::string& valor, const std::string& origen);
    void fijarFrecuencia(const std::string& valor);

    int64_t longitudCabecera = 0;
    int64_t tamanoArchivo = 0;
    std::optional<int64_t> longitudVectorEstado;
    std::optional<std::string> formatoDatos;  // "int16", "int32" or "float32"
    bool formatoEnPrimeraLinea = false;
    std::string token;
    std::optional<int64_t> frecuenciaMuestreo;
    std::optional<int64_t> numeroCanales;
    int64_t numeroMuestras = 0;

    std::vector<std::string> etiquetas;
    std::string sujeto, sesion, ejecuciones, fechaRegistro;
    int64_t numeroEnsayos = -1;  // -1: no NumberOfTrials= key
    // SourceChGain= and SourceChOffset=: empty when present but not a list of numbers.
    std::optional<std::vector<double>> ganancias, desplazamientos;
    std::optional<Estado> codigoEstimulo;  // the StimulusCode state, when defined
    std::optional<int64_t> longitudEstadoParametro;  // a StateVectorLength= parameter unlike the first line's
    int64_t bytesEstados = 0;  // bytes that the defined states reach into the state vector
    std::string errorCabecera;
    std::vector<std::string> notas;  // warnings gathered while parsing
};
