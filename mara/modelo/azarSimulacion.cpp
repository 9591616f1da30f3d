#include "mara/modelo/azarSimulacion.h"

#include <cmath>

double AzarSimulacion::uniforme() {
    // 32 random bits centred in their interval: never exactly 0 or 1.
    return (static_cast<double>(generador_()) + 0.5) / 4294967296.0;
}

double AzarSimulacion::uniforme(double a, double b) { return a + (b - a) * uniforme(); }

double AzarSimulacion::normal() {
    if (hayNormalGuardada_) {
        hayNormalGuardada_ = false;
        return normalGuardada_;
    }
    const double u = uniforme(), v = uniforme();
    const double r = std::sqrt(-2.0 * std::log(u));
    const double a = 2.0 * 3.14159265358979323846 * v;
    normalGuardada_ = r * std::sin(a);
    hayNormalGuardada_ = true;
    return r * std::cos(a);
}

bool AzarSimulacion::probabilidad(double p) { return uniforme() < p; }

arma::uword AzarSimulacion::entero(arma::uword n) {
    const auto k = static_cast<arma::uword>(uniforme() * static_cast<double>(n));
    return k < n ? k : n - 1;
}

arma::rowvec AzarSimulacion::ruidoBlanco(arma::uword muestras) {
    arma::rowvec x(muestras);
    for (double& v : x) v = normal();
    return x;
}

arma::vec3 AzarSimulacion::direccion() {
    arma::vec3 d{normal(), normal(), normal()};
    return d / arma::norm(d);
}
