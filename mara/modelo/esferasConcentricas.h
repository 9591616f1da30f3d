#pragma once
// Head model of four concentric spheres (brain, CSF, skull, scalp) and the
// scalp potential of a current dipole inside the innermost one, by the exact
// Legendre-series solution. Lengths in metres, conductivities in S/m;
// potentials in microvolts per nanoampere-metre, referenced to infinity.

#include <armadillo>

struct ModeloEsferas {
    arma::vec3 centro = arma::zeros<arma::vec>(3);
    double radioExterior = 0.0;
    arma::vec radiosRelativos = {0.90, 0.92, 0.97, 1.0};
    arma::vec conductividades = {0.33, 1.0, 0.004, 0.33};
};

// Centre and radius of the least-squares sphere through the points
// (3 x n, one column per point). Throws std::invalid_argument for fewer
// than four points.
ModeloEsferas ajustarEsfera(const arma::mat& puntos);

// Radial factor of degree n at the outer surface, for a unit outer radius:
// the potential's n-th term is this factor times the dipole's angular term.
class FactoresRadiales {
public:
    explicit FactoresRadiales(const ModeloEsferas& modelo);
    double operator()(int n);  // n >= 1; computed once and kept

private:
    arma::vec radios_, sigma_;
    std::vector<double> cache_;
};

// Potentials at an electrode (already on the outer sphere) of unit dipoles
// along x, y and z at `fuente` (inside the innermost sphere); both positions
// in head coordinates. Terms are added until they fall below 1e-9 of the sum.
arma::vec3 potencialDipolo(const ModeloEsferas& modelo, FactoresRadiales& factores, const arma::vec3& electrodo,
                           const arma::vec3& fuente);

// Closed form for a homogeneous sphere of radius R and conductivity sigma
// (same units), for the moment q: the reduction the series must reach when
// all four conductivities are equal.
double potencialEsferaHomogenea(double radio, double sigma, const arma::vec3& electrodo, const arma::vec3& fuente,
                                const arma::vec3& momento);

// Electrodes projected radially onto the outer sphere (3 x n in, 3 x n out).
arma::mat proyectarElectrodos(const ModeloEsferas& modelo, const arma::mat& electrodos);

// Lead field: electrodes (3 x nE) x sources (3 x nS) x 3 orientations.
arma::cube campoConductor(const ModeloEsferas& modelo, const arma::mat& electrodos, const arma::mat& fuentes);
