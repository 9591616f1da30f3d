#pragma once
// Random draws of the training-set simulation. Built on std::mt19937 with
// its own uniform and normal transforms (the standard distributions may
// differ between libraries), so a seed gives the same files everywhere.

#include <cstdint>
#include <random>

#include <armadillo>

class AzarSimulacion {
public:
    explicit AzarSimulacion(uint32_t semilla) : generador_(semilla) {}

    double uniforme();                      // in (0, 1)
    double uniforme(double a, double b);    // in (a, b)
    double normal();                        // standard normal (Box–Muller)
    bool probabilidad(double p);            // true with probability p
    arma::uword entero(arma::uword n);      // in [0, n), n >= 1
    arma::rowvec ruidoBlanco(arma::uword muestras);  // standard normal samples
    arma::vec3 direccion();                 // uniform on the unit sphere
    std::mt19937& generador() { return generador_; }

private:
    std::mt19937 generador_;
    bool hayNormalGuardada_ = false;
    double normalGuardada_ = 0.0;
};
