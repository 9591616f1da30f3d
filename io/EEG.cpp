#include "io/EEG.h"

#include <cstdlib>
#include <stdexcept>

EEG::EEG(int32_t frecuencia, uint32_t canalesCabecera, int64_t muestras) {
    if (frecuencia <= 0)
        throw std::invalid_argument("EEG: frecuencia de muestreo no valida (" + std::to_string(frecuencia) +
                                    " Hz); debe ser mayor que 0");
    if (muestras < 0)
        throw std::invalid_argument("EEG: numero de muestras negativo (" + std::to_string(muestras) + ")");
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
    if (matrices.empty()) throw std::out_of_range("EEG: el registro no tiene datos");
    return matrices.front();
}

double calcularTiempoFin(int64_t muestras, int32_t frecuencia) {
    if (frecuencia <= 0) return 0.0;
    return static_cast<double>((muestras - 1) / frecuencia);
}

EEG derivarEEG(const EEG& fuente, const arma::mat& datos) {
    EEG r;
    r.sujeto = fuente.sujeto;
    r.identificacionRegistro = fuente.identificacionRegistro;
    r.fechaRegistro = fuente.fechaRegistro;
    r.idEquipo = fuente.idEquipo;
    r.idLaboratorio = fuente.idLaboratorio;
    r.idTecnico = fuente.idTecnico;
    r.reservado = fuente.reservado;
    r.numeroMuestras = fuente.numeroMuestras;
    r.frecuenciaMuestreo = fuente.frecuenciaMuestreo;
    r.historia = fuente.historia;
    r.tiempoInicio = fuente.tiempoInicio;
    r.tiempoFin = fuente.tiempoFin;
    r.numeroCanales = fuente.numeroCanales;
    r.canales = fuente.canales;
    r.numeroMatrices = fuente.numeroMatrices;
    r.matrices.push_back(datos);
    r.tablaEventos = fuente.tablaEventos;
    return r;
}

void fijarEvento(TablaEventos& tabla, Evento e, int32_t i) {
    if (i < 0) throw std::out_of_range("fijarEvento: indice negativo");
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
