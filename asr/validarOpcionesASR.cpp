#include "asr/validarOpcionesASR.h"

#include <stdexcept>
#include <string>

#include "io/textoNumero.h"

namespace {

void enRango(const char* nombre, double valor, IntervaloASR intervalo) {
    const double minimo = intervalo.minimo, maximo = intervalo.maximo;
    // Negated comparison so that NaN is refused too.
    if (!(valor >= minimo && valor <= maximo)) {
        throw std::invalid_argument(std::string("ASR: ") + nombre + " = " + textoGeneral(valor) +
                                    " fuera del intervalo admitido [" + textoGeneral(minimo) + ", " +
                                    textoGeneral(maximo) + "]");
    }
}

}  // namespace

void validarOpcionesASR(const OpcionesASR& o) {
    enRango("burstCritic", o.burstCritic, intervaloBurstCritic);
    enRango("maxBadChan", o.maxBadChan, intervaloMaxBadChan);
    enRango("tolInf", o.tolInf, intervaloTolInf);
    enRango("tolSup", o.tolSup, intervaloTolSup);
    if (!(o.tolInf < o.tolSup))
        throw std::invalid_argument("ASR: tolInf (" + textoGeneral(o.tolInf) + ") debe ser menor que tolSup (" +
                                    textoGeneral(o.tolSup) + ")");
}
