#pragma once
// Reader of BCI2000 .dat recordings: a text header of "Key= value" parameter
// lines, then, per sample, one value per channel followed by the state vector.
// The state vector is skipped; no events are derived from it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/FileReader.h"

class DatFileReader : public FileReader {
public:
    DatFileReader() = default;

    // Refused (empty EEG, motivoFallo() set): unopenable file, no CR LF or no
    // "HeaderLen=" on the first line, a header length beyond the file, a
    // malformed number after a key, no channels, a sampling rate below 1 Hz,
    // more ChannelNames= than channels, no complete sample in the file.
    EEG leer(std::string ruta) override;

private:
    EEG decodificar() override;
    void reiniciar();
    void analizarLinea(const std::string& linea);
    void errorDeCabecera(const std::string& texto);

    int64_t longitudCabecera = 0;
    int64_t tamanoArchivo = 0;
    int64_t longitudVectorEstado = 0;
    int32_t tipoDato = 3;  // no DataFormat= key: int16, the format's default
    int32_t bytesPorValor = 2;
    std::string token;
    int64_t frecuenciaMuestreo = 0;
    int64_t numeroCanales = 0;
    int64_t numeroMuestras = 0;

    std::vector<std::string> etiquetas;
    int64_t etiquetasDeclaradas = 0;
    std::string sujeto, sesion, ejecuciones, fechaRegistro;
    int64_t numeroEnsayos = -1;  // -1: no NumberOfTrials= key
    std::string errorCabecera;
};
