#pragma once
// The runner's progress and interruption: a one-line bar per step on a
// terminal's standard error (nothing when it is a file or a pipe), and
// SIGINT/SIGTERM turned into a Cancelado at the step's next report.

#include <string>

#include "io/progreso.h"

// Installs the handlers of SIGINT and SIGTERM: they only raise a flag.
void instalarInterrupcion();
// True once one of those signals arrived.
bool interrumpido();
// Throws Cancelado when interrumpido().
void comprobarInterrupcion();

// Draws the bar of one step while it lives (when `dibujar`); every report
// also checks for an interruption.
class BarraProgreso {
public:
    BarraProgreso(std::string nombre, bool dibujar);
    ~BarraProgreso();  // ends the line it drew, if any
    BarraProgreso(const BarraProgreso&) = delete;
    BarraProgreso& operator=(const BarraProgreso&) = delete;
    Avance avance();

private:
    void pintar(double fraccion, const std::string& etapa);
    std::string nombre_;
    bool dibujar_;
    bool pintada_ = false;
    int ultimo_ = -1;         // last percentage and filled cells drawn, as one number
    std::string ultimaEtapa_;
};

// Whether standard error is a terminal.
bool errorEsTerminal();
