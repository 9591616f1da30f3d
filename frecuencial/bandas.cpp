#include "frecuencial/bandas.h"

#include <algorithm>
#include <stdexcept>

const std::vector<BandaFrecuencia>& bandasEEG() {
    static const std::vector<BandaFrecuencia> bandas = {
        {"delta", 1.0, 4.0}, {"theta", 4.0, 8.0}, {"alfa", 8.0, 13.0}, {"beta", 13.0, 30.0}, {"gamma", 30.0, 45.0}};
    return bandas;
}

double integrarDensidad(const arma::vec& f, const arma::rowvec& d, double inferior, double superior) {
    if (f.n_elem != d.n_elem || f.n_elem < 2)
        throw std::invalid_argument("frecuencias y densidad de tamaños distintos o menos de 2 bins");
    if (superior < inferior) throw std::invalid_argument("límite superior por debajo del inferior");
    const double a = std::max(inferior, f.front());
    const double b = std::min(superior, f.back());
    if (!(b > a)) return 0.0;
    auto valor = [&](double x, arma::uword k) {  // density at x in [f(k), f(k+1)]
        const double t = (x - f[k]) / (f[k + 1] - f[k]);
        return d[k] + t * (d[k + 1] - d[k]);
    };
    // Bin k is the last one at or below a.
    arma::uword k = static_cast<arma::uword>(std::upper_bound(f.begin(), f.end(), a) - f.begin()) - 1;
    double suma = 0.0;
    double x0 = a, y0 = valor(a, std::min(k, f.n_elem - 2));
    for (; k + 1 < f.n_elem && f[k + 1] < b; ++k) {
        suma += 0.5 * (y0 + d[k + 1]) * (f[k + 1] - x0);
        x0 = f[k + 1];
        y0 = d[k + 1];
    }
    const double y1 = valor(b, std::min(k, f.n_elem - 2));
    return suma + 0.5 * (y0 + y1) * (b - x0);
}

TablaBandas potenciaBandas(const EspectroPotencia& e) {
    if (e.frecuencias.n_elem < 2) throw std::invalid_argument("el espectro tiene menos de 2 bins");
    const double nyquist = e.frecuencias.back();
    TablaBandas t;
    for (BandaFrecuencia b : bandasEEG()) {
        if (b.inferior >= nyquist) continue;
        b.superior = std::min(b.superior, nyquist);
        t.bandas.push_back(b);
    }
    const arma::uword C = e.densidad.n_rows;
    t.absoluta.set_size(C, t.bandas.size());
    t.relativa.set_size(C, t.bandas.size());
    for (arma::uword c = 0; c < C; ++c) {
        const arma::rowvec d = e.densidad.row(c);
        const double total = integrarDensidad(e.frecuencias, d, 1.0, std::min(45.0, nyquist));
        for (arma::uword j = 0; j < t.bandas.size(); ++j) {
            t.absoluta(c, j) = integrarDensidad(e.frecuencias, d, t.bandas[j].inferior, t.bandas[j].superior);
            t.relativa(c, j) = total > 0.0 ? t.absoluta(c, j) / total : 0.0;
        }
    }
    return t;
}
