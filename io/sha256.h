#pragma once
// SHA-256 (FIPS 180-4) of a file or a byte string, as 64 lower-case hex
// digits: the checksum that a study's provenance records for every input
// and output, the same one `sha256sum` prints.

#include <filesystem>
#include <string>

// Throws std::runtime_error naming the file when it cannot be read whole.
std::string sha256Archivo(const std::filesystem::path& ruta);

// `extensiones` false keeps to the portable code even where the processor
// has SHA instructions (the tests compare both ways).
std::string sha256Texto(const std::string& bytes, bool extensiones = true);
