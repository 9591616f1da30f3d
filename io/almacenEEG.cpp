#include "io/almacenEEG.h"

#include <stdexcept>

void etiquetarRama(EEG& eeg, std::string etiqueta) {
    eeg.historia += ' ';
    eeg.historia += etiqueta;
}

int AlmacenEEG::numeroRamas(int archivo) const {
    if (archivo < 0 || archivo >= numeroArchivos()) return 0;
    return static_cast<int>(archivos_[static_cast<size_t>(archivo)].size());
}

bool AlmacenEEG::nombraRama(int archivo, int r) const { return r >= 0 && r < numeroRamas(archivo); }

const EEG& AlmacenEEG::rama(int archivo, int r) const {
    if (!nombraRama(archivo, r))
        throw std::out_of_range("no hay ninguna rama " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1));
    return *archivos_[static_cast<size_t>(archivo)][static_cast<size_t>(r)].eeg;
}

void AlmacenEEG::anadirArchivo(std::unique_ptr<EEG> eeg, std::string ruta) {
    std::vector<Rama> ramas;
    ramas.push_back(Rama{std::move(eeg), true, siguienteNumero_++});
    rutas_.reserve(archivos_.size() + 1);  // both grow or neither
    archivos_.push_back(std::move(ramas));
    rutas_.push_back(std::move(ruta));
}

const std::string& AlmacenEEG::rutaArchivo(int archivo) const {
    if (archivo < 0 || archivo >= numeroArchivos())
        throw std::out_of_range("no hay ningun archivo " + std::to_string(archivo + 1));
    return rutas_[static_cast<size_t>(archivo)];
}

void AlmacenEEG::anadirRama(int archivo, std::unique_ptr<EEG> eeg) {
    if (archivo < 0 || archivo >= numeroArchivos())
        throw std::out_of_range("no hay ningun archivo " + std::to_string(archivo + 1));
    archivos_[static_cast<size_t>(archivo)].push_back(Rama{std::move(eeg), false, siguienteNumero_++});
}

void AlmacenEEG::borrarRama(int archivo, int r) {
    if (!nombraRama(archivo, r))
        throw std::out_of_range("no hay ninguna rama " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1));
    auto& ramas = archivos_[static_cast<size_t>(archivo)];
    if (r == 0) {
        archivos_.erase(archivos_.begin() + archivo);
        rutas_.erase(rutas_.begin() + archivo);
    } else {
        ramas.erase(ramas.begin() + r);
    }
}

std::string AlmacenEEG::descripcion(int archivo, int r) const {
    return "eeg " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1) + rama(archivo, r).historia;
}

void AlmacenEEG::marcarGuardada(int archivo, int r) {
    if (!nombraRama(archivo, r))
        throw std::out_of_range("no hay ninguna rama " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1));
    archivos_[static_cast<size_t>(archivo)][static_cast<size_t>(r)].guardada = true;
}

int AlmacenEEG::ramasSinGuardar() const { return static_cast<int>(posicionesSinGuardar().size()); }

std::vector<std::pair<int, int>> AlmacenEEG::posicionesSinGuardar() const {
    std::vector<std::pair<int, int>> r;
    for (size_t a = 0; a < archivos_.size(); ++a)
        for (size_t b = 0; b < archivos_[a].size(); ++b)
            if (!archivos_[a][b].guardada) r.emplace_back(static_cast<int>(a), static_cast<int>(b));
    return r;
}

uint64_t AlmacenEEG::numeroRama(int archivo, int r) const {
    if (!nombraRama(archivo, r))
        throw std::out_of_range("no hay ninguna rama " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1));
    return archivos_[static_cast<size_t>(archivo)][static_cast<size_t>(r)].numero;
}

std::optional<std::pair<int, int>> AlmacenEEG::posicion(uint64_t numero) const {
    for (size_t a = 0; a < archivos_.size(); ++a)
        for (size_t b = 0; b < archivos_[a].size(); ++b)
            if (archivos_[a][b].numero == numero) return std::make_pair(static_cast<int>(a), static_cast<int>(b));
    return std::nullopt;
}

std::vector<std::string>* AlmacenEEG::canalesMalos(uint64_t numero) {
    const auto p = posicion(numero);
    return p ? &archivos_[static_cast<size_t>(p->first)][static_cast<size_t>(p->second)].eeg->canalesMalos : nullptr;
}

const EEG* AlmacenEEG::buscar(uint64_t numero) const {
    const auto p = posicion(numero);
    return p ? archivos_[static_cast<size_t>(p->first)][static_cast<size_t>(p->second)].eeg.get() : nullptr;
}
