#include "cli/barraProgreso.h"

#include <csignal>
#include <iostream>

#include <unistd.h>

namespace {

volatile std::sig_atomic_t senal = 0;

extern "C" void alRecibirSenal(int numero) { senal = numero; }

}  // namespace

void instalarInterrupcion() {
    struct sigaction accion {};
    accion.sa_handler = alRecibirSenal;
    sigemptyset(&accion.sa_mask);
    // No SA_RESTART is needed: the flag is read at the next report.
    sigaction(SIGINT, &accion, nullptr);
    sigaction(SIGTERM, &accion, nullptr);
}

bool interrumpido() { return senal != 0; }

void comprobarInterrupcion() {
    if (interrumpido()) throw Cancelado();
}

bool errorEsTerminal() { return isatty(STDERR_FILENO) == 1; }

BarraProgreso::BarraProgreso(std::string nombre, bool dibujar) : nombre_(std::move(nombre)), dibujar_(dibujar) {}

BarraProgreso::~BarraProgreso() {
    if (pintada_) std::cerr << '\n' << std::flush;
}

Avance BarraProgreso::avance() {
    return Avance([this](double fraccion, const std::string& etapa) {
        comprobarInterrupcion();
        if (dibujar_) pintar(fraccion, etapa);
    });
}

void BarraProgreso::pintar(double fraccion, const std::string& etapa) {
    const int milesimas = static_cast<int>(fraccion * 1000.0);
    constexpr int ancho = 30;
    const int llenas = milesimas * ancho / 1000;
    // Redrawn only when what is shown changes (the whole percentage, the
    // filled cells or the stage): a step reports far more often than that.
    const int mostrado = (milesimas / 10) * (ancho + 1) + llenas;
    if (mostrado == ultimo_ && etapa == ultimaEtapa_) return;
    ultimo_ = mostrado;
    ultimaEtapa_ = etapa;
    std::string linea = "\r\033[K" + nombre_ + " [" + std::string(static_cast<size_t>(llenas), '#') +
                        std::string(static_cast<size_t>(ancho - llenas), ' ') + "] " +
                        std::to_string(milesimas / 10) + " %";
    if (!etapa.empty()) linea += " " + etapa;
    std::cerr << linea << std::flush;
    pintada_ = true;
}
