#include "dsp/fir/filtroFaseCero.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "dsp/fir/convolucionSolapada.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"

namespace {

// Rows transformed together: one cache line of a column.
constexpr arma::uword canalesPorGrupo = 8;

}  // namespace

arma::mat filtrarFilasFaseCero(const arma::vec& b, const arma::mat& entrada, const Avance& avance) {
    arma::mat salida;
    filtrarFilasFaseCero(b, entrada, salida, avance);
    return salida;
}

void filtrarFilasFaseCero(const arma::vec& b, const arma::mat& entrada, arma::mat& salida, const Avance& avance) {
    if (b.is_empty() || b.n_elem % 2 == 0)
        throw std::invalid_argument("el filtro debe tener un número impar de coeficientes (tiene " +
                                    std::to_string(b.n_elem) + ")");
    if (&salida == &entrada) throw std::invalid_argument("la salida no puede ser la entrada");
    const arma::uword canales = entrada.n_rows, muestras = entrada.n_cols;
    // Left unmapped: each thread maps the pages of its own stretch just before
    // writing them, so the kernel's zeroing is shared by both cores and never
    // done twice.
    const bool nueva = salida.n_rows != canales || salida.n_cols != muestras;
    if (nueva) salida.set_size(canales, muestras);
    if (salida.n_elem == 0) {
        avance(1.0);
        return;
    }

    const arma::uword grupo = std::min(canalesPorGrupo, canales);
    std::unique_ptr<ConvolucionSolapada> convoluciones[2];
    for (auto& c : convoluciones) c = std::make_unique<ConvolucionSolapada>(b, grupo);
    // Stretches start on block boundaries, so each block falls on the same
    // columns whichever thread takes it: the same bits on every run.
    const arma::uword bloque = convoluciones[0]->salidasPorBloque();
    const arma::uword pieza = bloque * std::max<arma::uword>(1, (arma::uword{1} << 16) / bloque);
    const double* x = entrada.memptr();
    double* y = salida.memptr();
    repartirEnDosHilos(
        static_cast<int64_t>(muestras), static_cast<int64_t>(pieza),
        [&](int hilo, int64_t desde, int64_t hasta) {
            const auto n0 = static_cast<arma::uword>(desde), n1 = static_cast<arma::uword>(hasta);
            if (nueva) poblarMemoria(y + n0 * canales, (n1 - n0) * canales * sizeof(double));
            ConvolucionSolapada& conv = *convoluciones[hilo];
            // Block by block, all groups: the block's columns stay in cache
            // while the groups read them.
            for (arma::uword m0 = n0; m0 < n1; m0 += bloque) {
                const arma::uword m1 = std::min(m0 + bloque, n1);
                for (arma::uword c0 = 0; c0 < canales; c0 += grupo)
                    conv.filtrar(x, y, canales, muestras, c0, std::min(grupo, canales - c0), m0, m1);
            }
        },
        [&](int64_t hechas) { avance(static_cast<double>(hechas), static_cast<double>(muestras)); });
}
