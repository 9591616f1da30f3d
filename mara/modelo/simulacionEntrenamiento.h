#pragma once
// Simulated, labelled independent components for the MARA model that ships
// with Ondelar: scalp maps from the four-sphere head model and time courses
// of brain activity and of the usual artefacts (eyes, muscle, bad channel,
// heart). Parameters in parametrosSimulacion.h.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <armadillo>

#include "mara/modelo/esferasConcentricas.h"
#include "mara/modelo/geometriaCabeza.h"
#include "mara/modeloMara.h"

// Brain components without alpha come last, so that every other class keeps
// the seed it has always drawn from.
enum class ClaseSimulada { cerebro, parpadeo, movimientoOcular, musculo, canalMalo, corazon, cerebroSinAlfa };
constexpr int kClasesSimuladas = 7;

// Training label of a class: 2 (kept) for brain, with or without alpha, 1
// (removed) otherwise.
double etiquetaMara(ClaseSimulada clase);

// The head model with its electrodes in the order of etiquetasLeadfield().
struct CabezaSimulada {
    ModeloEsferas esferas;
    arma::mat electrodos;     // 3 x 118, projected onto the outer sphere
    arma::mat fuentes;        // 3 x nS, the cortical source shell
    arma::cube leadfield;     // 118 x nS x 3, µV per nA·m
};

// Fits the spheres to the table, orders its electrodes as
// etiquetasLeadfield() and computes the lead field (a few seconds).
// Throws std::invalid_argument when a lead-field label is missing from the table.
CabezaSimulada construirCabeza(const TablaElectrodos& tabla);
// The same with a lead field already computed (maraL.bin).
// Throws std::invalid_argument when its shape does not fit the model.
CabezaSimulada construirCabeza(const TablaElectrodos& tabla, const arma::cube& leadfield);

// Scalp potentials (118, µV) of a dipole of moment `momento` (nA·m) at
// `posicion` (metres, inside the innermost sphere).
arma::vec mapaDipolo(const CabezaSimulada& cabeza, const arma::vec3& posicion, const arma::vec3& momento);

// A set of simulated components, one column of `mapas` (118 rows, lead-field
// order, µV per unit of the time course) and one row of `cursos` (samples at
// parametrosSimulacion::frecuenciaMuestreo, unit standard deviation) each.
struct ComponentesSimuladas {
    arma::mat mapas;
    arma::mat cursos;
    std::vector<ClaseSimulada> clases;
};

// n components of one class drawn from the generator seeded with `semilla`.
ComponentesSimuladas simularComponentes(const CabezaSimulada& cabeza, ClaseSimulada clase, int n, uint32_t semilla);

// Components of every class, counts indexed by ClaseSimulada; each class
// draws from its own seed derived from `semilla`.
using RecuentoClases = std::array<int, kClasesSimuladas>;
RecuentoClases recuentoEntrenamiento();  // the shipped counts
ComponentesSimuladas simularConjunto(const CabezaSimulada& cabeza, const RecuentoClases& recuento, uint32_t semilla);

// The six MARA features (6 x n) of simulated components: rows 0 and 1 from
// the maps on the lead-field rows `filas` with the operator M built for them,
// rows 2 to 5 by caracteristicasTiempoFrecuencia on the time courses, whose
// curve fits draw from a generator seeded with `semillaAjuste`.
arma::mat caracteristicasSimuladas(const ComponentesSimuladas& c, const arma::uvec& filas, const arma::mat& M,
                                   uint32_t semillaAjuste);

// The four model files' contents from the shipped simulation: the lead field,
// the maps on the rows of etiquetasMara(), the features on all 104 channels
// and the labels.
ModeloMara modeloEntrenamiento(const CabezaSimulada& cabeza);
