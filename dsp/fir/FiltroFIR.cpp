#include "dsp/fir/FiltroFIR.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

void comprobarFiltro(const FiltroFIR& f, const char* rutina) {
    const arma::uword l = f.numeroCoeficientes;
    if (l == 0) throw std::invalid_argument(std::string(rutina) + ": el filtro no tiene coeficientes");
    if (f.coeficientes.n_elem != l || f.estado.n_elem != l || f.posicion >= l)
        throw std::invalid_argument(std::string(rutina) + ": filtro inconsistente (" + std::to_string(l) +
                                    " coeficientes declarados, " + std::to_string(f.coeficientes.n_elem) +
                                    " guardados, estado de " + std::to_string(f.estado.n_elem) +
                                    ", posicion " + std::to_string(f.posicion) + ")");
}

// Runs n samples read every `pasoEntrada` doubles from x, writing the outputs
// every `pasoSalida` doubles from y (y may be null: state only). The sum runs
// over k = 0 ... L-1 in order, split in two so no index needs a modulo.
void filtrarMuestras(FiltroFIR& f, const double* x, arma::uword pasoEntrada, double* y, arma::uword pasoSalida,
                     arma::uword n) {
    const arma::uword l = f.numeroCoeficientes;
    const double* b = f.coeficientes.memptr();
    double* buf = f.estado.memptr();
    arma::uword p = f.posicion;
    for (arma::uword i = 0; i < n; ++i) {
        buf[p] = x[i * pasoEntrada];
        if (y) {
            const arma::uword hastaFin = l - p;  // k with p + k < L
            double acc = 0.0;
            for (arma::uword k = 0; k < hastaFin; ++k) acc += b[k] * buf[p + k];
            for (arma::uword k = hastaFin; k < l; ++k) acc += b[k] * buf[p + k - l];
            y[i * pasoSalida] = acc;
        }
        p = (p == 0) ? l - 1 : p - 1;
    }
    f.posicion = static_cast<uint32_t>(p);
}

// State after feeding n more samples whose outputs are not needed: only the
// last L of them stay in the buffer, so the earlier ones just move the position.
void avanzarEstado(FiltroFIR& f, const double* x, arma::uword paso, arma::uword n) {
    const arma::uword l = f.numeroCoeficientes;
    if (n > l) {
        const arma::uword saltadas = n - l;
        f.posicion = static_cast<uint32_t>((f.posicion + l - saltadas % l) % l);
        x += saltadas * paso;
        n = l;
    }
    filtrarMuestras(f, x, paso, nullptr, 0, n);
}

}  // namespace

void prepararFiltroFIR(FiltroFIR& filtro, arma::vec coeficientes) {
    filtro.numeroCoeficientes = static_cast<uint32_t>(coeficientes.n_elem);
    filtro.posicion = 0;
    filtro.estado.zeros(coeficientes.n_elem);
    filtro.coeficientes = std::move(coeficientes);
}

arma::vec filtrarFIR(FiltroFIR& filtro, const arma::vec& entrada) {
    comprobarFiltro(filtro, "filtrarFIR");
    arma::vec salida(entrada.n_elem);
    filtrarMuestras(filtro, entrada.memptr(), 1, salida.memptr(), 1, entrada.n_elem);
    return salida;
}

arma::mat filtrarFilasFIR(FiltroFIR& filtro, const arma::mat& entrada) {
    comprobarFiltro(filtro, "filtrarFilasFIR");
    const arma::uword canales = entrada.n_rows;
    const arma::uword muestras = entrada.n_cols;
    const arma::uword l = filtro.numeroCoeficientes;
    arma::mat salida(canales, muestras);
    if (salida.n_elem == 0) return salida;

    // The first L-1 outputs of a row reach back into the previous row (or the
    // state before the first): they run sample by sample through the state,
    // which then skips to the end of the row, ready for the next one.
    const arma::uword cabeza = std::min<arma::uword>(l - 1, muestras);
    for (arma::uword c = 0; c < canales; ++c) {
        const double* fila = entrada.memptr() + c;
        filtrarMuestras(filtro, fila, canales, salida.memptr() + c, canales, cabeza);
        avanzarEstado(filtro, fila + cabeza * canales, canales, muestras - cabeza);
    }

    // Every later output needs only its own row: a direct convolution over
    // whole columns, each column contiguous in memory. The sum per element runs
    // over k in the same order as the sample-by-sample loop, so the numbers match.
    const double* b = filtro.coeficientes.memptr();
    const double* x = entrada.memptr();
    double* y = salida.memptr();
    for (arma::uword n = l - 1; n < muestras; ++n) {
        double* yn = y + n * canales;
        for (arma::uword c = 0; c < canales; ++c) yn[c] = 0.0;
        for (arma::uword k = 0; k < l; ++k) {
            const double bk = b[k];
            const double* xk = x + (n - k) * canales;
            for (arma::uword c = 0; c < canales; ++c) yn[c] += bk * xk[c];
        }
    }
    return salida;
}
