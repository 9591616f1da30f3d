#pragma once
// Event-related potentials of an averaged branch: where the event lies in it,
// its time axis in ms, the global field power and the channel values at a
// latency, as the ERP view shows them. Two kinds of branch are averaged:
// - the average of a continuous branch (promediarEventos): one block, no
//   event table, tiempoInicio = msPrev / 1000 s; the event sits at the
//   column calcularVentana gives for those milliseconds;
// - the average per kind of an epoched branch (promediarPorTipo): one block
//   of Epocas::ancho columns per kind, the event at column Epocas::pre.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <armadillo>

#include "averaging/epocas.h"
#include "io/EEG.h"

struct PromedioERP {
    int32_t frecuencia = 0;
    int32_t pre = 0;    // column of the event within a block
    int32_t ancho = 0;  // columns of a block
    std::vector<TipoEvento> tipos;     // kind of each block; empty for the average of a continuous branch
    std::vector<int64_t> promediadas;  // epochs behind each block, when the branch says
    std::size_t bloques() const { return tipos.empty() ? 1 : tipos.size(); }
};

// True for a branch averaged either way. A continuous branch averaged with no
// milliseconds before the event keeps tiempoInicio 0: its history ("…
// Promediado", tagged by the window) is then what tells it from a recording.
bool esPromedio(const EEG& rama);

// Throws std::invalid_argument when the branch is not averaged, has no
// samples, or its layout does not fit its matrix.
PromedioERP describirPromedio(const EEG& rama);

// ancho times in ms, (k - pre) · 1000 / frecuencia: 0 at the event.
arma::vec ejeTiempoMs(const PromedioERP& p);

// Channels x ancho: the columns of block `bloque` (0 for a continuous
// average). Throws std::out_of_range for a block the branch does not have.
arma::mat bloqueERP(const EEG& rama, const PromedioERP& p, std::size_t bloque);

// Global field power of X (channels x samples), one value per column: the
// population standard deviation across channels, sqrt(mean_c (x_c - x̄)²)
// (Lehmann & Skrandies 1980). One channel gives zeros. Throws
// std::invalid_argument when X has no rows.
arma::rowvec potenciaCampoGlobal(const arma::mat& X);

// Column of the block nearest to `ms` after the event (halves away from the
// event). Throws std::invalid_argument for a latency that is not finite or
// whose nearest sample lies outside the block (more than half a sample
// before its first time or after its last).
arma::uword columnaDeLatencia(const PromedioERP& p, double ms);

// The channel values (a column of `bloque`) at that nearest column.
arma::vec valoresEnLatencia(const arma::mat& bloque, const PromedioERP& p, double ms);

// One colour scale for a row of maps, symmetric around 0 so that the zero
// of every map is the same colour and a sign change reads at once:
// [-m, m], m the largest |value| of all maps' channel values (the map
// interpolates by weighted means, so it never leaves that range). All zero
// gives [-1, 1]. Non-finite values are ignored. Throws std::invalid_argument
// when no finite value is given.
struct RangoColor {
    double minimo = 0.0, maximo = 0.0;
};
RangoColor rangoComun(const std::vector<arma::vec>& valores);

// Latencies typed by the user: numbers in ms separated by commas, semicolons
// or blanks, a point as decimal mark ("100, 300", "-50.5;250"). Throws
// std::invalid_argument naming the piece that is not a number.
std::vector<double> leerLatencias(const std::string& texto);
