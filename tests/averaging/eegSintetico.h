#pragma once
// Small hand-built branches with events for the averaging tests.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

namespace prueba {

// Channel c, sample s holds 1000 c + s: every epoch is recognisable by its
// first column.
inline EEG eegRampa(int32_t frecuencia, uint32_t canales, int64_t muestras) {
    EEG eeg(frecuencia, canales, muestras);
    for (uint32_t c = 0; c < canales; ++c) {
        (*eeg.canales)[c].etiqueta = "C" + std::to_string(c + 1);
        for (int64_t s = 0; s < muestras; ++s)
            eeg.matrices.front()(c, static_cast<arma::uword>(s)) = 1000.0 * c + static_cast<double>(s);
    }
    eeg.sujeto = "sujeto";
    eeg.identificacionRegistro = "registro";
    eeg.fechaRegistro = "fecha";
    eeg.reservado = "reservado";
    eeg.idEquipo = 7;
    eeg.idLaboratorio = 8;
    eeg.idTecnico = 9;
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    eeg.tablaEventos->modo = 1;
    return eeg;
}

// Appends an event of kind (tipo, calificador) at `posicion`.
inline void anadirEvento(EEG& eeg, int32_t tipo, int32_t posicion, int32_t calificador = 1) {
    TablaEventos& tabla = *eeg.tablaEventos;
    fijarEvento(tabla, Evento{tipo, posicion, calificador, 0, 0, 0, 0, 0}, static_cast<int32_t>(tabla.eventos.size()));
    tabla.numeroEventos = static_cast<int32_t>(tabla.eventos.size());
}

// A fresh empty directory under the system's temporary directory, removed
// with everything in it when the object goes.
class DirectorioTemporal {
public:
    DirectorioTemporal() {
        std::string plantilla = (std::filesystem::temp_directory_path() / "ondelar-promediado-XXXXXX").string();
        if (!mkdtemp(plantilla.data())) throw std::runtime_error("no se pudo crear el directorio temporal");
        ruta_ = plantilla;
    }
    ~DirectorioTemporal() {
        std::error_code ec;
        std::filesystem::remove_all(ruta_, ec);
    }
    DirectorioTemporal(const DirectorioTemporal&) = delete;
    DirectorioTemporal& operator=(const DirectorioTemporal&) = delete;

    const std::filesystem::path& ruta() const { return ruta_; }
    std::vector<std::filesystem::path> archivos() const {
        std::vector<std::filesystem::path> r;
        for (const auto& entrada : std::filesystem::directory_iterator(ruta_)) r.push_back(entrada.path());
        return r;
    }

private:
    std::filesystem::path ruta_;
};

}  // namespace prueba
