#pragma once
// Electrode and source positions of the head model behind the shipped MARA
// model: the 118 lead-field electrodes at their 10-05 positions and a shell of
// cortical sources from a Fibonacci sphere.

#include <string>
#include <vector>

#include <armadillo>

#include "mara/modelo/esferasConcentricas.h"

struct TablaElectrodos {
    std::vector<std::string> etiquetas;  // in table order
    arma::mat posiciones;                // 3 x n, metres, x right ear, y nose, z up
};

// Reads the tab-separated table (label, 10-05 name, x, y, z; one header line).
// Throws std::runtime_error with the file and line of any malformed row.
TablaElectrodos leerTablaElectrodos(const std::string& ruta);

// The N points z_k = 1 - 2(k + 0.5)/N, radius sqrt(1 - z_k^2), azimuth
// 2 pi k / golden ratio, kept when z_k > zMinima, placed at the centre plus
// `fraccion` times the outer radius times the point. 3 x nS.
arma::mat fuentesFibonacci(const ModeloEsferas& modelo, int N = 4000, double zMinima = -0.35,
                           double fraccion = 0.78);
