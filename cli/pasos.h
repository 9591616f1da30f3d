#pragma once
// The processing steps of the headless runner: each is parsed from its text
// (for example "filtro:BANDPASS,1,40,60") into a function over a record that
// computes exactly what the window's command computes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

struct Paso {
    std::string texto;                          // as given on the command line
    // Throws with a Spanish text on failure; the Avance hears the progress
    // and may throw Cancelado.
    std::function<EEG(const EEG&, const Avance&)> aplicar;
};

struct OpcionesPasos {
    std::optional<uint32_t> semilla;   // fixes every random source of a step
    std::string carpetaCubos = ".";    // where averaging writes its cube files
    std::string carpetaModelos;        // MARA model files (default: beside the executable)
    std::function<void(const std::string&)> aviso;  // notes for the user (a cube file not written)
    std::function<void(const std::string&)> cuboGuardado;  // hears each cube file written
};

// Throws std::invalid_argument with a Spanish text, naming the step, for an
// unknown step or a malformed parameter. Parameters that depend on the branch
// (filter limits against its rate, event kinds) are checked when the step
// runs, by the same core validation the window's commands go through.
Paso interpretarPaso(const std::string& texto, const OpcionesPasos& opciones);

// Number parsing that accepts the whole token or nothing.
double leerReal(const std::string& token, const std::string& contexto);
int leerEntero(const std::string& token, const std::string& contexto);
std::vector<std::string> partir(const std::string& texto, char separador);
