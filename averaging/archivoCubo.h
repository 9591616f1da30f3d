#pragma once
// Cube files of the averaging: every run stacks its epochs into one
// "Promediado-<fecha>.bin" file in Armadillo's arma_binary format. A file is
// never overwritten: an earlier run's epochs are not ours to destroy.

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include <armadillo>

// Where the cube goes and which local time names it. An empty clock means
// the local time at the moment of writing.
struct DestinoCubo {
    std::filesystem::path directorio = ".";
    std::function<std::tm()> horaLocal;
};

// "Promediado-" + asctime text of `hora` without its final line end, every
// ':' replaced by '-', + ".bin" (Promediado-Sat Dec 12 14-03-27 2026.bin).
// Throws std::invalid_argument when asctime cannot format `hora`.
std::string nombreCuboPromediado(const std::tm& hora);

// The same name with "-2", "-3", ... inserted before ".bin".
std::string nombreCuboPromediado(const std::tm& hora, int repeticion);

// Writes `cubo` (channels x samples x epochs) under the first free name for
// the destination's time and returns its path; the name is claimed with an
// exclusive create, so two runs in the same second never share a file.
// Returns an empty path when the file could not be written (missing
// directory, no permission, full disk); nothing is left behind then.
std::filesystem::path guardarCuboPromediado(const arma::cube& cubo, const DestinoCubo& destino);
