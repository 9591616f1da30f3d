#include "app/almacenEEG.h"

#include <stdexcept>

std::unique_ptr<EEG> clonarEEG(const EEG& fuente) {
    auto copia = std::make_unique<EEG>();
    copia->sujeto = fuente.sujeto;
    copia->identificacionRegistro = fuente.identificacionRegistro;
    copia->fechaRegistro = fuente.fechaRegistro;
    copia->reservado = fuente.reservado;
    copia->historia = fuente.historia;
    copia->idEquipo = fuente.idEquipo;
    copia->idLaboratorio = fuente.idLaboratorio;
    copia->idTecnico = fuente.idTecnico;
    copia->numeroMuestras = fuente.numeroMuestras;
    copia->frecuenciaMuestreo = fuente.frecuenciaMuestreo;
    copia->tiempoInicio = fuente.tiempoInicio;
    copia->tiempoFin = fuente.tiempoFin;
    copia->numeroCanales = fuente.numeroCanales;
    copia->numeroMatrices = fuente.numeroMatrices;

    const size_t nCanales = fuente.numeroCanales;
    if (!fuente.canales || fuente.canales->size() < nCanales)
        throw std::length_error("clonarEEG: el registro tiene menos canales (" +
                                std::to_string(fuente.canales ? fuente.canales->size() : 0) +
                                ") de los que declara (" + std::to_string(nCanales) + ")");
    copia->canales = std::make_shared<std::vector<Canal>>(fuente.canales->begin(),
                                                          fuente.canales->begin() + static_cast<long>(nCanales));

    if (!fuente.matrices.empty()) {
        const arma::mat& origen = fuente.matrices.front();
        if (fuente.numeroMuestras < 0 || origen.n_rows < nCanales ||
            origen.n_cols < static_cast<arma::uword>(fuente.numeroMuestras))
            throw std::length_error("clonarEEG: la matriz de datos (" + std::to_string(origen.n_rows) + " x " +
                                    std::to_string(origen.n_cols) + ") es menor que " + std::to_string(nCanales) +
                                    " canales x " + std::to_string(fuente.numeroMuestras) + " muestras");
        const auto nMuestras = static_cast<arma::uword>(fuente.numeroMuestras);
        if (origen.n_rows == nCanales && origen.n_cols == nMuestras)
            copia->matrices.push_back(origen);
        else
            copia->matrices.push_back(origen.submat(0, 0, arma::size(nCanales, nMuestras)));
        // Only the first matrix is kept, whatever the count says.
        copia->matrices.resize(std::max<size_t>(1, static_cast<size_t>(std::max(fuente.numeroMatrices, 0))),
                               arma::mat());
    }
    if (fuente.tablaEventos) copia->tablaEventos = std::make_shared<TablaEventos>(*fuente.tablaEventos);
    return copia;
}

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
    return *archivos_[static_cast<size_t>(archivo)][static_cast<size_t>(r)];
}

void AlmacenEEG::anadirArchivo(std::unique_ptr<EEG> eeg) {
    std::vector<std::unique_ptr<EEG>> ramas;
    ramas.push_back(std::move(eeg));
    archivos_.push_back(std::move(ramas));
}

void AlmacenEEG::anadirRama(int archivo, std::unique_ptr<EEG> eeg) {
    if (archivo < 0 || archivo >= numeroArchivos())
        throw std::out_of_range("no hay ningun archivo " + std::to_string(archivo + 1));
    archivos_[static_cast<size_t>(archivo)].push_back(std::move(eeg));
}

void AlmacenEEG::borrarRama(int archivo, int r) {
    if (!nombraRama(archivo, r))
        throw std::out_of_range("no hay ninguna rama " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1));
    auto& ramas = archivos_[static_cast<size_t>(archivo)];
    if (r == 0)
        archivos_.erase(archivos_.begin() + archivo);
    else
        ramas.erase(ramas.begin() + r);
}

std::string AlmacenEEG::descripcion(int archivo, int r) const {
    return "eeg " + std::to_string(archivo + 1) + "-" + std::to_string(r + 1) + rama(archivo, r).historia;
}
