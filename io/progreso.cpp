#include "io/progreso.h"

#include <algorithm>

void Avance::operator()(double fraccion) const {
    if (!informe_) return;
    const double f = std::clamp(fraccion, 0.0, 1.0);
    informe_(inicio_ + f * (fin_ - inicio_), etapa_);
}

Avance Avance::tramo(double desde, double hasta, const std::string& etapa) const {
    Avance sub(*this);
    const double ancho = fin_ - inicio_;
    sub.inicio_ = inicio_ + std::clamp(desde, 0.0, 1.0) * ancho;
    sub.fin_ = inicio_ + std::clamp(hasta, 0.0, 1.0) * ancho;
    if (!etapa.empty()) sub.etapa_ = etapa;
    return sub;
}
