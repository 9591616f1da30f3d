#include "dsp/fir/FiltroFIR.h"

#include <stdexcept>
#include <string>

void prepararFiltroFIR(FiltroFIR& filtro, arma::vec coeficientes) {
    filtro.numeroCoeficientes = static_cast<uint32_t>(coeficientes.n_elem);
    filtro.posicion = 0;
    filtro.estado.zeros(coeficientes.n_elem);
    filtro.coeficientes = std::move(coeficientes);
}

arma::vec filtrarFIR(FiltroFIR& f, const arma::vec& entrada) {
    const arma::uword l = f.numeroCoeficientes;
    if (l == 0) throw std::invalid_argument("el filtro no tiene coeficientes");
    if (f.coeficientes.n_elem != l || f.estado.n_elem != l || f.posicion >= l)
        throw std::invalid_argument("filtro inconsistente (" + std::to_string(l) +
                                    " coeficientes declarados, " + std::to_string(f.coeficientes.n_elem) +
                                    " guardados, estado de " + std::to_string(f.estado.n_elem) + ", posicion " +
                                    std::to_string(f.posicion) + ")");
    // With p the write position, buffer[(p + k) mod L] is the sample k steps
    // back; the sum is split in two so no index needs a modulo.
    arma::vec salida(entrada.n_elem);
    const double* b = f.coeficientes.memptr();
    double* buf = f.estado.memptr();
    arma::uword p = f.posicion;
    for (arma::uword i = 0; i < entrada.n_elem; ++i) {
        buf[p] = entrada[i];
        double acc = 0.0;
        for (arma::uword k = 0; k < l - p; ++k) acc += b[k] * buf[p + k];
        for (arma::uword k = l - p; k < l; ++k) acc += b[k] * buf[p + k - l];
        salida[i] = acc;
        p = (p == 0) ? l - 1 : p - 1;
    }
    f.posicion = static_cast<uint32_t>(p);
    return salida;
}
