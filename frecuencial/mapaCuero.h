#pragma once
// Scalp maps: electrode positions projected onto the head seen from above and
// a value per electrode interpolated over the head by inverse-distance
// weighting on the sphere (Shepard 1968): the value at a point is the mean of
// the electrodes' values weighted by 1 / d^2, d being the great-circle angle
// to each electrode. Every value is a weighted mean, so the map never leaves
// the electrodes' range (no overshoot on sparse montages, where spherical
// splines extrapolate far beyond the data) and takes each electrode's own
// value at its position.
//
// Positions are .CED coordinates: x towards the nose, y towards the left ear,
// z up, from the head's centre (any unit: only directions are used). The
// plane of the map has u towards the right ear and v towards the nose, in
// units of the head radius: the azimuthal equidistant projection from the
// vertex puts the ear-nose circle (z = 0) at radius 1 and the vertex at 0.

#include <array>
#include <optional>
#include <vector>

#include <armadillo>

struct PuntoPlano {
    double u = 0.0;  // towards the right ear
    double v = 0.0;  // towards the nose
};

// Throws std::invalid_argument for the origin (no direction).
PuntoPlano proyectarPosicion(const std::array<double, 3>& xyz);

// The map's square grid of `lado` x `lado` points covering
// [-radio, radio]^2, row 0 at the top (v = radio, the nose side), column 0 at
// the left (u = -radio). Points farther than radio from the centre are not
// part of the map.
struct RejillaMapa {
    arma::uword lado = 0;
    double radio = 0.0;
    double u(arma::uword columna) const;
    double v(arma::uword fila) const;
};

// Interpolation over one set of electrodes, prepared once so that each band
// costs one matrix-vector product.
class InterpolacionMapa {
public:
    // posiciones: one per electrode, at least 4; the grid reaches 5 % beyond
    // the outermost electrode, or radius 1.1 when all lie inside the ear-nose
    // circle. Throws std::invalid_argument for fewer than 4 electrodes, a
    // point at the origin, or lado < 2 or > 1024.
    InterpolacionMapa(const std::vector<std::array<double, 3>>& posiciones, arma::uword lado);

    // lado x lado map of `valores` (one per electrode, in order); points
    // outside the grid's circle are NaN. Throws std::invalid_argument when the
    // count differs from the electrodes'.
    arma::mat interpolar(const arma::vec& valores) const;

    // The interpolated value at one direction on the head.
    double valorEn(const arma::vec& valores, const std::array<double, 3>& xyz) const;

    const RejillaMapa& rejilla() const { return rejilla_; }
    const std::vector<PuntoPlano>& electrodos() const { return plano_; }

private:
    arma::mat pesosEntre(const arma::mat& puntos) const;  // 3 x n unit vectors -> n x electrodes

    arma::mat unitarios_;     // 3 x electrodes, unit vectors
    arma::mat pesos_;         // grid points inside the circle x electrodes, rows summing to 1
    arma::uvec dentro_;       // their linear indices in the lado x lado map
    RejillaMapa rejilla_;
    std::vector<PuntoPlano> plano_;
};
