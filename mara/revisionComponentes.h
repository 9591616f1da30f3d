#pragma once
// What the component review shows of a branch of ICA activations, computed
// away from the window: each component's share of the variance, its scalp
// map, its spectrum and the envelope of its time course, plus the texts that
// describe MARA's vote and the user's choice.

#include <optional>
#include <string>
#include <vector>

#include <armadillo>

#include "frecuencial/mapaCuero.h"
#include "io/EEG.h"
#include "io/progreso.h"
#include "mara/aplicarMara.h"

struct OpcionesRevision {
    arma::uword ladoMapa = 48;        // points per side of each scalp map
    arma::uword columnasTraza = 240;  // points of the time-course envelope
};

// Q components of one branch; matrices hold one column per component, in the
// decomposition's order (component q is column q - 1).
struct RevisionComponentes {
    // Share of component q in the sum of the components' back-projected
    // variances, |a_q|^2 var(s_q) (a_q its pattern, s_q its activation): the
    // cross terms of non-orthogonal patterns are left out, so the shares add up to 1.
    arma::vec varianza;
    arma::uvec orden;            // 0-based indices by decreasing share (stable)
    arma::vec frecuencias;       // Hz, bins of espectroDb
    arma::mat espectroDb;        // bins x Q: 10 log10 of the Welch density
    // ladoMapa^2 x Q: each pattern interpolated over the head (NaN outside),
    // signed so that its largest electrode value is positive; empty when fewer
    // than 4 channels have a position.
    arma::mat mapas;
    RejillaMapa rejilla;
    std::vector<PuntoPlano> electrodos;
    arma::vec signos;            // Q: +1 or -1, the sign applied to map and time course
    arma::mat minimos, maximos;  // columnasTraza x Q: the activation's range per stretch of samples
    double segundos = 0.0;       // duration the time course spans
};

// Throws std::invalid_argument for a branch without a decomposition or whose
// row count differs from its components, or without samples. The Avance
// hears one call per component.
RevisionComponentes prepararRevision(const EEG& activaciones, const OpcionesRevision& opciones = {},
                                     const Avance& avance = Avance());

// The map of component q (0-based) as lado x lado, NaN outside the head.
arma::mat mapaComponente(const RevisionComponentes& r, arma::uword q, arma::uword lado);

// For an epoched branch, component q's (0-based) activation as an image over
// epochs: E x ancho (one row per epoch, in order), with the sign of
// r.signos(q). Empty for a continuous or averaged branch.
arma::mat imagenEpocas(const EEG& activaciones, const RevisionComponentes& r, arma::uword q);

// "probabilidad de artefacto 0.87" and the six features, one per line, for
// component q (0-based) of a vote.
std::string textoComponente(const InformeMara& voto, arma::uword q);

// The origin of a choice for the history tag: the numbers (from 1) removed
// that MARA voted for and those ticked by hand, "MARA 3,7; manual 12"; only
// "manual 12" without a vote, only "MARA 3,7" when the user followed it.
// Empty when nothing is removed.
std::string origenEleccion(const std::optional<InformeMara>& voto, const std::vector<arma::uword>& quitar);
