// Writes the step catalogue's share of fuzz_pasos's dictionary and seeds, so
// that a new step is fuzzed from its catalogue entry alone:
//   semillas_pasos DICCIONARIO_BASE DICCIONARIO_SALIDA CARPETA_SEMILLAS
// The output dictionary is the base one (parameter words, number forms)
// followed by each step's name and "name:"; each step's example becomes a
// seed, followed by a window check over a short branch.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "pasos/catalogoPasos.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "uso: semillas_pasos DICCIONARIO_BASE DICCIONARIO_SALIDA CARPETA_SEMILLAS\n");
        return 2;
    }
    std::ifstream base(argv[1], std::ios::binary);
    std::ofstream diccionario(argv[2], std::ios::binary);
    diccionario << base.rdbuf() << "# Pasos del catálogo.\n";
    const std::filesystem::path carpeta = argv[3];
    std::filesystem::create_directories(carpeta);
    // Rate 256 Hz, 100 ms before and 600 ms after, 1000 samples, events at 300 and 700.
    const int32_t ventana[] = {256, 100, 600, 1000, 300, 700};
    for (const EntradaPaso& e : catalogoPasos()) {
        diccionario << "paso_" << e.nombre << "=\"" << e.nombre << "\"\n";
        diccionario << "paso_" << e.nombre << "_parametros=\"" << e.nombre << ":\"\n";
        std::ofstream semilla(carpeta / e.nombre, std::ios::binary);
        semilla << e.ejemplo << '\n';
        semilla.write(reinterpret_cast<const char*>(ventana), sizeof ventana);
    }
    return diccionario && base ? 0 : 1;
}
