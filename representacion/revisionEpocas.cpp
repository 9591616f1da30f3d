#include "representacion/revisionEpocas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

RevisionEpocas::RevisionEpocas(std::size_t numero, int32_t ancho)
    : ancho_(std::max<int32_t>(1, ancho)), motivos_(numero), marcadas_(numero, false) {}

void RevisionEpocas::fijarMotivos(std::vector<std::vector<MotivoRechazo>> motivos) {
    if (motivos.size() != marcadas_.size())
        throw std::invalid_argument("las marcas son de " + std::to_string(motivos.size()) +
                                    " épocas y la rama tiene " + std::to_string(marcadas_.size()));
    motivos_ = std::move(motivos);
    for (std::size_t e = 0; e < motivos_.size(); ++e) marcadas_[e] = !motivos_[e].empty();
}

void RevisionEpocas::alternar(std::size_t epoca) { marcadas_.at(epoca) = !marcadas_.at(epoca); }

std::size_t RevisionEpocas::numeroMarcadas() const {
    return static_cast<std::size_t>(std::count(marcadas_.begin(), marcadas_.end(), true));
}

std::string RevisionEpocas::motivo(std::size_t epoca) const {
    std::string reglas;
    for (const MotivoRechazo& m : motivos_.at(epoca)) reglas += (reglas.empty() ? "" : ", ") + m.regla + " " + m.canal;
    if (reglas.empty()) return marcadas_[epoca] ? "a mano" : "";
    return marcadas_[epoca] ? reglas : reglas + " (conservada a mano)";
}

std::string RevisionEpocas::resumen() const {
    return std::to_string(numeroMarcadas()) + " de " + std::to_string(numero()) + " épocas marcadas";
}

int64_t RevisionEpocas::epocaDeColumna(int64_t columna) const {
    if (columna < 0) return -1;
    const int64_t e = columna / ancho_;
    return e < static_cast<int64_t>(numero()) ? e : -1;
}

std::vector<std::size_t> RevisionEpocas::epocasPagina(int64_t inicio, double muestrasPagina) const {
    std::vector<std::size_t> r;
    if (numero() == 0 || !(muestrasPagina > 0)) return r;
    const int64_t ultimaColumna = inicio + static_cast<int64_t>(std::ceil(muestrasPagina)) - 1;
    const int64_t primera = std::max<int64_t>(0, inicio) / ancho_;
    const int64_t ultima = std::min<int64_t>(static_cast<int64_t>(numero()) - 1, ultimaColumna / ancho_);
    for (int64_t e = primera; e <= ultima; ++e) r.push_back(static_cast<std::size_t>(e));
    return r;
}
