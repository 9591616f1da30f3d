#pragma once
// Choice of the reader by the file's extension.

#include <memory>
#include <string>

#include "io/FileReader.h"

// Writes "loading... " and the path, then compares the text after the last
// "." (the whole path when there is none), in upper case, with "GDF",
// "DAT", "EDF", "BDF" and "VHDR" (BrainVision), writing "detectado tipo ..."
// for the one found. Returns the matching reader, or nullptr for any other
// extension.
std::unique_ptr<FileReader> crearLector(std::string ruta);
