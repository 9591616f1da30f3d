#pragma once
// Matching of a recording's channels against the label table of the MARA
// training patterns.

#include <string>
#include <vector>

#include <armadillo>

struct EmparejamientoCanales {
    arma::uvec indicesEtiqueta;     // position of each match in etiquetasMara()
    arma::uvec canalesEmparejados;  // the recording's channel index of each match
    std::vector<std::string> etiquetas;  // the recording's label of each match
};

// Channels are visited in case-insensitive label order (stable: the earlier
// channel first on equal labels); each one whose upper-cased label equals an
// upper-cased table label is kept, the others skipped. Labels are compared
// whole, so "Fp1 " (trailing blank) matches nothing.
EmparejamientoCanales emparejarCanales(const std::vector<std::string>& etiquetasCanales);
