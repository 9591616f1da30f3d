#include "mara/periodogramaWelch.h"

#include "frecuencial/welch.h"

EspectroWelch espectroWelch(const arma::vec& x, const arma::vec& ventana, arma::uword nfft, double rate) {
    // MARA's segments enter as they are: no mean removed.
    const PlanWelch plan{ventana, nfft, rate, false};
    TrabajoWelch trabajo;
    EspectroWelch r;
    r.pxx = densidadWelch(x.memptr(), x.n_elem, plan, trabajo);
    r.freq = frecuenciasWelch(nfft, rate);
    return r;
}
