#pragma once
// Reading the committed reference CSVs (header row, then numbers), and the
// comparison the spectrum tests share.

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <armadillo>

struct TablaCSV {
    std::vector<std::string> cabecera;
    std::vector<std::string> primeraColumna;
    arma::mat valores;  // rows of the file x numeric columns after the first
};

inline TablaCSV leerTablaCSV(const std::string& ruta) {
    std::ifstream f(ruta);
    TablaCSV t;
    std::string linea, campo;
    if (!std::getline(f, linea)) return t;
    std::stringstream c(linea);
    while (std::getline(c, campo, ',')) t.cabecera.push_back(campo);
    std::vector<std::vector<double>> filas;
    while (std::getline(f, linea)) {
        std::stringstream s(linea);
        std::vector<double> fila;
        std::getline(s, campo, ',');
        t.primeraColumna.push_back(campo);
        fila.push_back(0.0);
        std::from_chars(campo.data(), campo.data() + campo.size(), fila.back());
        while (std::getline(s, campo, ',')) {
            double v = arma::datum::nan;
            std::from_chars(campo.data(), campo.data() + campo.size(), v);
            fila.push_back(v);
        }
        filas.push_back(fila);
    }
    if (filas.empty()) return t;
    t.valores.set_size(filas.size(), filas[0].size());
    for (size_t i = 0; i < filas.size(); ++i)
        for (size_t j = 0; j < filas[i].size() && j < t.valores.n_cols; ++j) t.valores(i, j) = filas[i][j];
    return t;
}

// Relative agreement: |a - b| <= tol * |b| for every element. A synthetic
// spectrum is exactly zero away from its tones, where both sides hold only
// rounding noise; `ruido` (a fraction of the largest value) bounds that.
inline bool igualesRelativo(const arma::mat& a, const arma::mat& b, double tol = 1e-10, double ruido = 0.0) {
    if (arma::size(a) != arma::size(b) || a.is_empty()) return false;
    const double suelo = ruido * arma::abs(b).max();
    return arma::all(arma::vectorise(arma::abs(a - b) <= arma::max(tol * arma::abs(b), suelo * arma::ones(arma::size(b)))));
}
