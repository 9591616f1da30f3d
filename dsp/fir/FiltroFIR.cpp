#include "dsp/fir/FiltroFIR.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "dsp/fir/convolucionSolapada.h"

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

// Outputs n = n0 ... n1-1 (n0 >= L-1) of every row of a column-major C x S
// matrix: y(c, n) = sum_k b[k] x(c, n-k). Channels go in blocks of 8 (one
// cache line of a column) whose sums stay in registers while k runs; each sum
// adds its terms from k = 0 up, starting at 0.0, exactly as the sample-by-
// sample loop does, so the numbers match it. Time runs outermost: the L
// columns in reach stay in cache for all channels at once.
// GCC's loop vectoriser is off here: it would vectorise along k (a reduction)
// with gathers; the straight-line vectorisation of the 8 sums is what we want.
#if defined(__GNUC__) && !defined(__clang__)
#define ONDELAR_SIN_VECTORIZAR_BUCLES __attribute__((optimize("no-tree-loop-vectorize")))
#else
#define ONDELAR_SIN_VECTORIZAR_BUCLES
#endif
constexpr arma::uword bloqueCanales = 8;

// The two paths stay out of line: inlined together into filtrarFilasFIR, the
// direct one compiled to code almost twice as slow (measured, 19 taps).
#define ONDELAR_FUERA_DE_LINEA __attribute__((noinline))

ONDELAR_SIN_VECTORIZAR_BUCLES void convolucionColumnas(const double* __restrict b, arma::uword l,
                                                       const double* __restrict x, double* __restrict y,
                                                       arma::uword canales, arma::uword n0, arma::uword n1) {
    constexpr arma::uword bloque = bloqueCanales;
    for (arma::uword n = n0; n < n1; ++n) {
        double* yn = y + n * canales;
        const double* xn = x + n * canales;  // x(., n - k) is xn - k * canales
        arma::uword c = 0;
        for (; c + bloque <= canales; c += bloque) {
            double acc[bloque] = {};
            for (arma::uword k = 0; k < l; ++k) {
                const double bk = b[k];
                const double* xk = xn - k * canales + c;
                for (arma::uword i = 0; i < bloque; ++i) acc[i] += bk * xk[i];
            }
            for (arma::uword i = 0; i < bloque; ++i) yn[c + i] = acc[i];
        }
        for (; c < canales; ++c) {
            double acc = 0.0;
            for (arma::uword k = 0; k < l; ++k) acc += b[k] * (xn - k * canales)[c];
            yn[c] = acc;
        }
    }
}

// The direct path: the first L-1 outputs of a row reach back into the
// previous row (or the state before the first), so they run sample by sample
// through the state, which then skips to the end of the row, ready for the
// next one. Every later output needs only its own row: a direct convolution
// over whole columns, each column contiguous in memory. Progress goes by
// stretches of columns (all channels advance together on this path).
ONDELAR_FUERA_DE_LINEA void filtrarDirecto(FiltroFIR& f, const arma::mat& entrada, arma::mat& salida, const Avance& avance) {
    const arma::uword canales = entrada.n_rows;
    const arma::uword muestras = entrada.n_cols;
    const arma::uword l = f.numeroCoeficientes;
    const arma::uword cabeza = std::min<arma::uword>(l - 1, muestras);
    for (arma::uword c = 0; c < canales; ++c) {
        const double* fila = entrada.memptr() + c;
        filtrarMuestras(f, fila, canales, salida.memptr() + c, canales, cabeza);
        avanzarEstado(f, fila + cabeza * canales, canales, muestras - cabeza);
    }
    constexpr arma::uword tramo = arma::uword{1} << 16;  // columns between two reports
    for (arma::uword n0 = l - 1; n0 < muestras; n0 += tramo) {
        const arma::uword n1 = std::min(n0 + tramo, muestras);
        convolucionColumnas(f.coeficientes.memptr(), l, entrada.memptr(), salida.memptr(), canales, n0, n1);
        avance(static_cast<double>(n1) / static_cast<double>(muestras));
    }
    avance(1.0);
}

// The FFT path. Row c, preceded by the L-1 samples the state holds (the end
// of row c-1, or of whatever the filter saw before), is one stream whose
// outputs are exactly row c's; the state then moves on as on the direct path.
// The prefixes of a group of rows are taken first, in row order, so the group
// can then run through time together. Progress goes by stretches of columns.
ONDELAR_FUERA_DE_LINEA void filtrarFFT(FiltroFIR& f, const arma::mat& entrada, arma::mat& salida, const Avance& avance) {
    const arma::uword canales = entrada.n_rows;
    const arma::uword muestras = entrada.n_cols;
    const arma::uword l = f.numeroCoeficientes;
    const arma::uword prefijo = l - 1;
    const arma::uword grupo = std::min(bloqueCanales, canales);
    ConvolucionSolapada convolucion(f.coeficientes, muestras, grupo);
    const arma::uword bloque = convolucion.salidasPorBloque();
    const arma::uword tramo = bloque * ((arma::uword{1} << 16) / bloque + 1);  // columns between two reports
    std::vector<double> prefijos(grupo * prefijo);
    for (arma::uword c0 = 0; c0 < canales; c0 += grupo) {
        const arma::uword g = std::min(grupo, canales - c0);
        for (arma::uword i = 0; i < g; ++i) {
            // With p the next write position, buffer[(p + k) mod L] is the
            // sample k steps back: the prefix in time order is k = L-1 ... 1.
            const double* buffer = f.estado.memptr();
            double* p = prefijos.data() + i * prefijo;
            for (arma::uword j = 0; j < prefijo; ++j) p[j] = buffer[(f.posicion + prefijo - j) % l];
            avanzarEstado(f, entrada.memptr() + c0 + i, canales, muestras);
        }
        for (arma::uword n0 = 0; n0 < muestras; n0 += tramo) {
            const arma::uword n1 = std::min(n0 + tramo, muestras);
            convolucion.filtrar(entrada.memptr(), salida.memptr(), canales, c0, g, prefijos.data(), n0, n1);
            avance((static_cast<double>(c0) + static_cast<double>(g) * static_cast<double>(n1) /
                                                   static_cast<double>(muestras)) /
                   static_cast<double>(canales));
        }
    }
}

// A fresh output of many megabytes is mapped page by page as it is first
// written; asking for 2 MB pages cuts those faults 512-fold (on a virtual
// machine each one is costly). Only a hint: if the system declines, nothing
// changes but the time.
void pedirPaginasGrandes(arma::mat& m) {
#ifdef __linux__
    const std::size_t bytes = m.n_elem * sizeof(double);
    if (bytes < (std::size_t{4} << 20)) return;
    const auto pagina = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto comienzo = reinterpret_cast<std::uintptr_t>(m.memptr());
    const std::uintptr_t desde = (comienzo + pagina - 1) / pagina * pagina;
    const std::uintptr_t hasta = (comienzo + bytes) / pagina * pagina;
    if (hasta > desde) madvise(reinterpret_cast<void*>(desde), hasta - desde, MADV_HUGEPAGE);
#else
    (void)m;
#endif
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

arma::mat filtrarFilasFIR(FiltroFIR& filtro, const arma::mat& entrada, const Avance& avance) {
    arma::mat salida;
    filtrarFilasFIR(filtro, entrada, salida, avance);
    return salida;
}

void filtrarFilasFIR(FiltroFIR& filtro, const arma::mat& entrada, arma::mat& salida, const Avance& avance) {
    comprobarFiltro(filtro, "filtrarFilasFIR");
    if (&salida == &entrada) throw std::invalid_argument("filtrarFilasFIR: la salida no puede ser la entrada");
    if (salida.n_rows != entrada.n_rows || salida.n_cols != entrada.n_cols) {
        salida.set_size(entrada.n_rows, entrada.n_cols);  // every element is written below
        pedirPaginasGrandes(salida);
    }
    if (salida.n_elem == 0) return;
    if (filtro.numeroCoeficientes > coeficientesMaximosDirecto)
        filtrarFFT(filtro, entrada, salida, avance);
    else
        filtrarDirecto(filtro, entrada, salida, avance);
}
