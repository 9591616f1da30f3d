#pragma once
// Loading a recording for a benchmark. The readers trace every header line on
// standard output; it is kept off, so that the output holds only the figures.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "io/EEG.h"
#include "io/cargarRegistro.h"
#include "io/leerCED.h"

// With `rutaCED`, the channels also take their labels and positions from it.
inline EEG cargarEnSilencio(const std::string& ruta, const std::string& rutaCED = std::string()) {
    std::fflush(stdout);
    const int copia = dup(STDOUT_FILENO);
    const int nulo = open("/dev/null", O_WRONLY);
    dup2(nulo, STDOUT_FILENO);
    close(nulo);
    auto devolver = [copia] {
        std::fflush(stdout);
        dup2(copia, STDOUT_FILENO);
        close(copia);
    };
    EEG eeg;
    try {
        eeg = cargarRegistro(ruta);
        if (!rutaCED.empty()) leerCED(eeg, rutaCED);
    } catch (...) {
        devolver();
        throw;
    }
    devolver();
    return eeg;
}
