#include "io/EEG.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

EEG::EEG(int32_t frecuencia, uint32_t canalesCabecera, int64_t muestras) {
    if (frecuencia <= 0)
        throw std::invalid_argument("frecuencia de muestreo no valida (" + std::to_string(frecuencia) +
                                    " Hz); debe ser mayor que 0");
    if (muestras < 0)
        throw std::invalid_argument("numero de muestras negativo (" + std::to_string(muestras) + ")");
    numeroMuestras = muestras;
    frecuenciaMuestreo = frecuencia;
    tiempoInicio = 0.0;
    tiempoFin = calcularTiempoFin(muestras, frecuencia);
    numeroCanales = canalesCabecera;
    canales = std::make_shared<std::vector<Canal>>(canalesCabecera);
    numeroMatrices = 1;
    matrices.emplace_back(canalesCabecera, static_cast<arma::uword>(muestras), arma::fill::zeros);
}

const arma::mat& EEG::datos() const {
    if (matrices.empty()) throw std::out_of_range("el registro no tiene datos");
    return matrices.front();
}

double calcularTiempoFin(int64_t muestras, int32_t frecuencia) {
    if (frecuencia <= 0) return 0.0;
    return static_cast<double>((muestras - 1) / frecuencia);
}

namespace {

// The header fields and counts that a derived record and a copy share.
void copiarCampos(const EEG& fuente, EEG& destino) {
    destino.sujeto = fuente.sujeto;
    destino.identificacionRegistro = fuente.identificacionRegistro;
    destino.fechaRegistro = fuente.fechaRegistro;
    destino.fechaHora = fuente.fechaHora;
    destino.idEquipo = fuente.idEquipo;
    destino.idLaboratorio = fuente.idLaboratorio;
    destino.idTecnico = fuente.idTecnico;
    destino.reservado = fuente.reservado;
    destino.numeroMuestras = fuente.numeroMuestras;
    destino.frecuenciaMuestreo = fuente.frecuenciaMuestreo;
    destino.historia = fuente.historia;
    destino.tiempoInicio = fuente.tiempoInicio;
    destino.tiempoFin = fuente.tiempoFin;
    destino.numeroCanales = fuente.numeroCanales;
    destino.numeroMatrices = fuente.numeroMatrices;
    destino.epocas = fuente.epocas;  // never changed once made, so shared
    destino.canalesMalos = fuente.canalesMalos;
}

}  // namespace

EEG derivarEEG(const EEG& fuente, arma::mat datos) {
    EEG r;
    copiarCampos(fuente, r);
    r.canales = fuente.canales;
    r.matrices.push_back(std::move(datos));
    r.tablaEventos = fuente.tablaEventos;
    return r;
}

std::unique_ptr<EEG> clonarEEG(const EEG& fuente) {
    auto copia = std::make_unique<EEG>();
    copiarCampos(fuente, *copia);

    const size_t nCanales = fuente.numeroCanales;
    if (!fuente.canales || fuente.canales->size() < nCanales)
        throw std::length_error("el registro tiene menos canales (" +
                                std::to_string(fuente.canales ? fuente.canales->size() : 0) +
                                ") de los que declara (" + std::to_string(nCanales) + ")");
    copia->canales = std::make_shared<std::vector<Canal>>(fuente.canales->begin(),
                                                          fuente.canales->begin() + static_cast<long>(nCanales));

    if (!fuente.matrices.empty()) {
        const arma::mat& origen = fuente.matrices.front();
        if (fuente.numeroMuestras < 0 || origen.n_rows < nCanales ||
            origen.n_cols < static_cast<arma::uword>(fuente.numeroMuestras))
            throw std::length_error("la matriz de datos (" + std::to_string(origen.n_rows) + " x " +
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
    copia->descomposicion = fuente.descomposicion;  // never changed once made, so shared
    return copia;
}

std::unique_ptr<EEG> clonarEEG(EEG&& fuente) {
    const bool justa = !fuente.matrices.empty() && fuente.numeroMuestras >= 0 &&
                       fuente.matrices.front().n_rows == fuente.numeroCanales &&
                       fuente.matrices.front().n_cols == static_cast<arma::uword>(fuente.numeroMuestras);
    if (!justa) return clonarEEG(static_cast<const EEG&>(fuente));
    // The rest is copied as above, with the matrices set aside for the moment.
    std::vector<arma::mat> matrices = std::move(fuente.matrices);
    fuente.matrices.clear();
    auto copia = clonarEEG(static_cast<const EEG&>(fuente));
    copia->matrices.push_back(std::move(matrices.front()));
    copia->matrices.resize(std::max<size_t>(1, static_cast<size_t>(std::max(fuente.numeroMatrices, 0))), arma::mat());
    return copia;
}

void fijarEvento(TablaEventos& tabla, Evento e, int32_t i) {
    if (i < 0) throw std::out_of_range("índice de evento negativo");
    bool encontrado = false;
    for (const Evento& k : tabla.tipos) {
        if (k.tipo == e.tipo && k.calificador == e.calificador) {
            e.rojo = k.rojo;
            e.verde = k.verde;
            e.azul = k.azul;
            encontrado = true;
            break;
        }
    }
    if (!encontrado) {
        e.azul = std::rand() % 255;
        e.verde = std::rand() % 255;
        e.rojo = std::rand() % 255;
        tabla.tipos.push_back(e);
        tabla.numeroTipos = static_cast<int32_t>(tabla.tipos.size());
    }
    if (static_cast<size_t>(i) >= tabla.eventos.size()) tabla.eventos.resize(static_cast<size_t>(i) + 1);
    tabla.eventos[static_cast<size_t>(i)] = e;
}

std::string nombreTipo(const TablaEventos& tabla, const Evento& tipo) {
    std::string nombre = std::to_string(tipo.tipo) + "." + std::to_string(tipo.calificador);
    const auto texto = tabla.textos.find({tipo.tipo, tipo.calificador});
    if (texto != tabla.textos.end() && !texto->second.empty()) nombre += " (" + texto->second + ")";
    return nombre;
}

std::vector<size_t> cuentaPorTipo(const TablaEventos& tabla) {
    std::map<std::pair<int32_t, int32_t>, size_t> cuenta;
    for (const Evento& e : tabla.eventos) ++cuenta[{e.tipo, e.calificador}];
    std::vector<size_t> r;
    r.reserve(tabla.tipos.size());
    for (const Evento& k : tabla.tipos) {
        const auto it = cuenta.find({k.tipo, k.calificador});
        r.push_back(it == cuenta.end() ? 0 : it->second);
    }
    return r;
}

std::vector<arma::uword> filasCanalesMalos(const EEG& eeg) {
    std::vector<arma::uword> filas;
    if (!eeg.canales) return filas;
    for (arma::uword i = 0; i < eeg.canales->size(); ++i)
        if (std::find(eeg.canalesMalos.begin(), eeg.canalesMalos.end(), (*eeg.canales)[i].etiqueta) !=
            eeg.canalesMalos.end())
            filas.push_back(i);
    return filas;
}
