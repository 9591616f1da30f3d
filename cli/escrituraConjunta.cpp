#include "cli/escrituraConjunta.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

EscrituraConjunta::~EscrituraConjunta() {
    std::error_code e;
    for (const auto& [temporal, destino] : archivos_) fs::remove(temporal, e);
}

std::string EscrituraConjunta::temporal(const std::string& destino) {
    std::random_device azar;
    const fs::path d(destino);
    const fs::path t = d.parent_path() / (d.filename().string() + ".conjunto-" + std::to_string(azar()));
    archivos_.emplace_back(t, d);
    return t.string();
}

void EscrituraConjunta::confirmar() {
    for (size_t i = 0; i < archivos_.size(); ++i) {
        std::error_code e;
        fs::rename(archivos_[i].first, archivos_[i].second, e);
        if (!e) continue;
        const std::string motivo = "no se pudo guardar \"" + archivos_[i].second.string() + "\": " + e.message();
        for (size_t j = 0; j < i; ++j) fs::remove(archivos_[j].second, e);
        archivos_.erase(archivos_.begin(), archivos_.begin() + static_cast<std::ptrdiff_t>(i));
        throw std::runtime_error(motivo);  // the destructor removes the rest
    }
    archivos_.clear();
}

