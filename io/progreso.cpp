#include "io/progreso.h"

#include <algorithm>
#include <cmath>

namespace {

const std::string sinEtapa;

// Throttle of the reports: a thousandth of the whole, or this much time.
constexpr double pasoMinimo = 0.001;
constexpr std::chrono::milliseconds intervaloMaximo(20);

}  // namespace

Avance::Avance(Informe informe) {
    if (!informe) return;
    comun_ = std::make_shared<Comun>();
    comun_->informe = std::move(informe);
}

void Avance::informar(double fraccion) const {
    const double f = inicio_ + std::clamp(fraccion, 0.0, 1.0) * (fin_ - inicio_);
    const std::string& etapa = etapa_ ? *etapa_ : sinEtapa;
    Comun& c = *comun_;
    const auto ahora = std::chrono::steady_clock::now();
    const bool pasar = std::abs(f - c.ultimaFraccion) >= pasoMinimo || f >= 1.0 || etapa != c.ultimaEtapa ||
                       ahora - c.ultimoInstante >= intervaloMaximo;
    if (!pasar) return;
    c.ultimaFraccion = f;
    if (etapa != c.ultimaEtapa) c.ultimaEtapa = etapa;
    c.ultimoInstante = ahora;
    c.informe(f, etapa);
}

Avance Avance::tramo(double desde, double hasta, const std::string& etapa) const {
    Avance sub(*this);
    const double ancho = fin_ - inicio_;
    sub.inicio_ = inicio_ + std::clamp(desde, 0.0, 1.0) * ancho;
    sub.fin_ = inicio_ + std::clamp(hasta, 0.0, 1.0) * ancho;
    if (!etapa.empty()) sub.etapa_ = std::make_shared<const std::string>(etapa);
    return sub;
}
