#pragma once
// Base of the recording readers. A reader opens one file (or, for tests and
// fuzz targets, one memory buffer), decodes it with the little-endian
// byte-level operations below and hands back one EEG by value.
//
// A reader never throws for a bad file: it writes its diagnostic line to
// standard output, returns an empty EEG and keeps the reason, in Spanish, in
// motivoFallo(), so that the caller can tell the user.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

class FileReader {
public:
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    virtual ~FileReader();  // closes the file if one is open

    // Reads the whole file at `ruta` (the path's own bytes: UTF-8 names load).
    virtual EEG leer(std::string ruta) = 0;

    // The same decoding over `n` bytes at `datos` (the caller keeps them alive).
    EEG leerMemoria(const uint8_t* datos, size_t n);

    // Hears the share of the file read during the next reads; it may throw
    // Cancelado, which then leaves leer (the file is closed on the way out).
    void fijarAvance(const Avance& avance) { avance_ = avance; }

    // Empty after a successful read; otherwise why the last read gave an empty
    // EEG, a Spanish clause in lower case ("el archivo ...") to follow a prefix.
    const std::string& motivoFallo() const { return motivo_; }

    // What the last read loaded but the user must be told (a file cut short,
    // events dropped...), one Spanish sentence each; empty when nothing.
    const std::vector<std::string>& avisos() const { return avisos_; }

protected:
    FileReader() = default;

    // Decodes the open file or buffer into a record (empty through fallar on failure).
    virtual EEG decodificar() = 0;
    // Opens `ruta`, decodes it and closes it: what every reader's leer does.
    EEG leerArchivo(const std::string& ruta);

    // Opens `ruta` with mode "rb" and remembers it; false when it cannot be opened.
    bool abrir(const std::string& ruta);
    // Reads from `n` bytes at `datos` instead of a file (the caller keeps them alive).
    void abrirMemoria(const uint8_t* datos, size_t n);
    void cerrar();

    int64_t tamano() const { return tamano_; }
    int64_t posicion() const { return posicion_; }
    void irA(int64_t posicion);
    void guardarPosicion() { posicionGuardada_ = posicion_; }
    void restaurarPosicion() { irA(posicionGuardada_); }
    int64_t bytesRestantes() const { return posicion_ < tamano_ ? tamano_ - posicion_ : 0; }

    // Reads `n` bytes into `destino` in one block; bytes past the end of the
    // file are zeros. Returns how many bytes the file really held. A block of
    // samples (bloqueInformado bytes or more, not a header field) reports the
    // position in the file as the fraction read.
    size_t leerBloque(void* destino, size_t n);
    static constexpr size_t bloqueInformado = 16384;
    // Reads exactly `n` bytes at `desde` into `destino` without moving the
    // position, from any thread while the file stays open (for decoding on
    // two threads); false when the file cannot give them. Reports no progress.
    bool leerEn(void* destino, size_t n, int64_t desde) const;
    // For a reader whose samples do not go through leerBloque: `hechas` of
    // `total` units read.
    void informarLectura(double hechas, double total) const { avance_(hechas, total); }

    uint8_t leerByte();
    uint16_t leer16();
    uint32_t leer32();
    uint64_t leer64();
    double leerReal64();  // IEEE double, as stored
    std::string leerTexto(size_t n);  // exactly n bytes, NULs past the end
    // Bytes up to the first CR LF pair, without it. nullopt when the file ends,
    // or `maximo` bytes go by, before a CR LF.
    std::optional<std::string> leerPrimeraLinea(size_t maximo);

    // Records why the read failed, writes `lineaSalida` (when not empty) to
    // standard output and returns the empty EEG that leer hands back.
    EEG fallar(const std::string& motivo, const std::string& lineaSalida = std::string());
    void limpiarFallo() {
        motivo_.clear();
        avisos_.clear();
    }
    // Adds a warning for the user (a complete Spanish sentence) and writes it as a diagnostic line.
    void avisar(const std::string& aviso);

    std::string ruta_;

private:
    std::FILE* archivo_ = nullptr;
    const uint8_t* memoria_ = nullptr;
    int64_t tamano_ = 0;
    int64_t posicion_ = 0;
    int64_t posicionGuardada_ = 0;
    std::string motivo_;
    std::vector<std::string> avisos_;
    Avance avance_;
};
