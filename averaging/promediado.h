#pragma once
// Event-locked averaging: a fixed window of samples around every event of
// the chosen kinds is cut out, the epochs are stacked into a cube (saved as a
// cube file) and their mean becomes the averaged branch.

#include <cstdint>
#include <filesystem>
#include <vector>

#include <armadillo>

#include "averaging/archivoCubo.h"
#include "io/EEG.h"
#include "io/progreso.h"

// Samples before and after the event and the epoch width W = pre + 1 + post.
struct VentanaEpoca {
    int32_t pre = 0;
    int32_t post = 0;
    int32_t ancho = 1;
};

// pre = frecuencia x msPrev / 1000 and post = frecuencia x msPost / 1000,
// truncated toward zero (256 Hz and 7000 ms give 1792). The product is
// formed in 64 bits so that a high rate cannot overflow.
// Throws std::invalid_argument for a rate <= 0, negative milliseconds or a
// window that does not fit 32-bit sample counts.
VentanaEpoca calcularVentana(int32_t frecuencia, int32_t msPrev, int32_t msPost);

// Milliseconds from the dialog, truncated toward zero.
// Throws std::invalid_argument when not finite or outside 32-bit range.
int32_t milisegundosEnteros(double ms);

struct ParametrosPromediado {
    std::vector<double> tipos;          // type of each selected kind
    std::vector<double> calificadores;  // its qualifier, same length as tipos
    int32_t msPrev = 7000;
    int32_t msPost = 10000;
};

// Kinds the table really holds: its count, bounded by the kinds stored.
int32_t numeroTiposDisponibles(const TablaEventos& tabla);

// Types and qualifiers of the kinds at `filas` (rows of the kind list, in the
// order given). Throws std::out_of_range for a row outside the table's kinds.
ParametrosPromediado parametrosDeFilas(const TablaEventos& tabla, const std::vector<int>& filas, int32_t msPrev,
                                       int32_t msPost);

// Positions of the events whose (type, qualifier) equals one selected kind
// (compared as doubles), in event-table order; each event at most once.
// Throws std::invalid_argument when the two vectors differ in length.
std::vector<int32_t> posicionesSeleccionadas(const TablaEventos& tabla, const std::vector<double>& tipos,
                                             const std::vector<double>& calificadores);

// Throws as extraerEpocas when a window of `posiciones` does not lie within
// `muestras` columns; allocates nothing, so a window can be checked before
// any memory is reserved for the epochs.
void comprobarVentanas(arma::uword muestras, const std::vector<int32_t>& posiciones, const VentanaEpoca& ventana);

// Cube of channels x W x E: slice i holds every row of X (channels x
// samples), columns posiciones[i] - pre to posiciones[i] + post.
// Throws std::out_of_range when any epoch reaches before the first or past
// the last column, or X has no rows: no epoch is skipped, clipped or padded.
arma::cube extraerEpocas(const arma::mat& X, const std::vector<int32_t>& posiciones, const VentanaEpoca& ventana,
                         const Avance& avance = {});

struct ResultadoPromediado {
    EEG promedio;                          // the averaged branch, no event table
    arma::uword numeroEpocas = 0;          // E
    std::filesystem::path archivoCubo;     // empty when the cube could not be written
};

// The whole averaging: epochs of the selected kinds, the cube file in the
// destination, and the mean epoch as an EEG (sample count W, start time
// msPrev / 1000 s, end time (W - 1) / rate in integer division plus the start
// time, the source's channels and texts, no event table).
// Throws std::invalid_argument when the branch has no event table or no
// event of the selected kinds is found (then no file is written), and
// std::out_of_range for an epoch outside the samples or a branch without
// samples. A cube that cannot be written does not stop the average; the
// result then carries an empty path.
// avance hears the epochs cut; a cancellation never leaves the cube file behind.
ResultadoPromediado promediarEventos(const EEG& fuente, const ParametrosPromediado& parametros,
                                     const DestinoCubo& destino = {}, const Avance& avance = {});
