#pragma once
// SHA-256 of a file or a byte string, as 64 lower-case hex digits: the
// checksum that a study's provenance records for every input and output, the
// same one `sha256sum` prints. OpenSSL's libcrypto does the hashing (it uses
// the processor's SHA instructions where there are any).

#include <filesystem>
#include <string>

// Throws std::runtime_error naming the file when it cannot be read whole.
std::string sha256Archivo(const std::filesystem::path& ruta);

std::string sha256Texto(const std::string& bytes);
