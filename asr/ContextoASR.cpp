#include "asr/ContextoASR.h"

#include <algorithm>

ContextoASR::ContextoASR(const EEG& eeg, const OpcionesASR& opciones) : entrada(&eeg) {
    // A negative value stands for "the default".
    const OpcionesASR porDefecto;
    cutoff = opciones.burstCritic < 0 ? porDefecto.burstCritic : opciones.burstCritic;
    fraccionMaxCanalesMalos = opciones.maxBadChan < 0 ? porDefecto.maxBadChan : opciones.maxBadChan;
    umbralesZ = {opciones.tolInf, opciones.tolSup};
    const double c = eeg.numeroCanales;
    const double srate = eeg.frecuenciaMuestreo;
    longitudVentanaProcesado = srate > 0 ? std::max(0.5, 1.5 * c / srate) : 0.5;
    // Start at 1.7 and add 0.15 while below 3.5: 13 values, the last 3.5 up to rounding.
    std::vector<double> formas;
    for (double b = 1.7; b < 3.5 + 1e-9; b += 0.15) formas.push_back(b);
    rejillaFormas = arma::vec(formas);
}
