#pragma once
// MARA's four model files: the stored training set and lead field.

#include <filesystem>

#include <armadillo>

struct ModeloMara {
    arma::cube leadfield;                // "maraL.bin": 118 x nS x 3
    arma::mat patronesEntrenamiento;     // "marapattern.bin": 104 x ntrain
    arma::mat caracteristicasEntrenamiento;  // "marax.bin": 6 x ntrain
    arma::mat etiquetasEntrenamiento;    // "maralabels.bin": >= 1 x ntrain, row 0 holds 1 or 2
};

// Loads the four files from `directorio`, each in Armadillo's own binary
// format (arma_binary). Everything is checked here, before any costly step:
// throws std::runtime_error naming the file when one is missing or unreadable,
// has the wrong shape, holds a label other than 1 and 2, lacks one of the two
// label groups, or has fewer than 8 training components (the pooled 6 x 6
// covariance of two groups needs n - 2 >= 6).
ModeloMara cargarModeloMara(const std::filesystem::path& directorio);

// Writes the four files into `directorio` in the format cargarModeloMara
// reads (used to build model sets). Throws std::runtime_error when a file
// cannot be written.
void guardarModeloMara(const ModeloMara& modelo, const std::filesystem::path& directorio);
