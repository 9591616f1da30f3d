#include "asr/validarOpcionesASR.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

void enRango(const char* nombre, double valor, double minimo, double maximo) {
    // Negated comparison so that NaN is refused too.
    if (!(valor >= minimo && valor <= maximo)) {
        char texto[200];
        std::snprintf(texto, sizeof texto, "ASR: %s = %g fuera del intervalo admitido [%g, %g]", nombre, valor, minimo,
                      maximo);
        throw std::invalid_argument(texto);
    }
}

}  // namespace

void validarOpcionesASR(const OpcionesASR& o) {
    enRango("burstCritic", o.burstCritic, 0, 99);
    enRango("maxBadChan", o.maxBadChan, 0, 1);
    enRango("tolInf", o.tolInf, -10, 2);
    enRango("tolSup", o.tolSup, 2, 50);
    if (!(o.tolInf < o.tolSup))
        throw std::invalid_argument("ASR: tolInf (" + std::to_string(o.tolInf) + ") debe ser menor que tolSup (" +
                                    std::to_string(o.tolSup) + ")");
}
