#pragma once
// Checks made on a path before opening it. Opening a FIFO for reading blocks
// until a writer appears, and a device such as /dev/zero never ends, so
// readers look at what a path is (stat, which never blocks) first.

#include <string>

// Why an existing `ruta` is not a regular file, in Spanish ("es una
// carpeta…"); empty when it is a regular file or does not exist (the caller's
// own "cannot open" message then applies).
std::string motivoArchivoEspecial(const std::string& ruta);

// Whether `nombre`, read from a file kept in `carpeta`, names a file inside
// that folder: not an absolute path, and still inside it once "..", "." and
// symbolic links are resolved. A header may only point at its companions.
bool nombraArchivoDeLaCarpeta(const std::string& carpeta, const std::string& nombre);
