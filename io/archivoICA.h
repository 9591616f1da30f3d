#pragma once
// A decomposition on disk, beside the runner's output or exported from the
// window, so that a reviewed choice of components can be replayed. A UTF-8
// text file, tab-separated, that numpy reads line by line:
//
//   ondelar-ica 1
//   origen <TAB> history of the branch decomposed
//   canales <TAB> C
//   C lines: label [<TAB> x <TAB> y <TAB> z]     (position when the channel has one)
//   componentes <TAB> Q
//   pesos                                         then Q lines of C numbers
//   esfera                                        then C lines of C numbers
//
// Numbers are written with 17 significant digits, so a decomposition read
// back is the one written, bit for bit.

#include <filesystem>
#include <istream>
#include <ostream>

#include "io/descomposicionICA.h"

void escribirDescomposicion(std::ostream& salida, const DescomposicionICA& d);
// Throws std::runtime_error when the file cannot be written.
void escribirDescomposicion(const std::filesystem::path& ruta, const DescomposicionICA& d);

// Throws std::runtime_error with a Spanish text naming the line for a file
// that is not a decomposition, is cut short or holds a value that is not a
// finite number, and when the file cannot be opened.
DescomposicionICA leerDescomposicion(std::istream& entrada);
DescomposicionICA leerDescomposicion(const std::filesystem::path& ruta);
