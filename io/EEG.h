#pragma once
// The EEG record exchanged by every subsystem: one recording or one
// processing branch, with its channels, its sample matrix and its optional
// event table.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <armadillo>

#include "io/descomposicionICA.h"
#include "io/fechaHora.h"

// One event of a GDF event table. A kind is the pair (tipo, calificador);
// all events of a kind share the kind's colour.
struct Evento {
    int32_t tipo = 0;
    int32_t posicion = 0;     // sample index, a column of the sample matrix
    int32_t calificador = 0;
    int32_t canal = 0;
    int32_t duracion = 0;
    int32_t rojo = 0, verde = 0, azul = 0;
};

struct TablaEventos {
    int32_t modo = 0;
    int32_t numeroEventos = 0;
    std::vector<Evento> eventos;      // numeroEventos entries, in file order
    int32_t numeroTipos = 0;
    std::vector<Evento> tipos;        // one representative per kind, first-appearance order
    // Text of the kinds a file names rather than numbers (an EDF+ annotation,
    // a BrainVision marker description), by (tipo, calificador).
    std::map<std::pair<int32_t, int32_t>, std::string> textos;
};

// "tipo.calificador" of a kind, followed by " (text)" when the table names it: "1.1 (type A)".
std::string nombreTipo(const TablaEventos& tabla, const Evento& tipo);
// How many events of each kind, in the order of tabla.tipos.
std::vector<size_t> cuentaPorTipo(const TablaEventos& tabla);

struct Canal {
    std::string etiqueta;
    std::string transductor;
    std::string unidad;
    double minimoFisico = 0.0;
    double maximoFisico = 0.0;
    int64_t minimoDigital = 0;
    int64_t maximoDigital = 0;
    std::optional<std::array<double, 3>> localizacion;  // x, y, z from a .CED file
    std::string prefiltrado;
    uint32_t muestrasPorRegistro = 0;
    uint32_t tipoDato = 0;  // GDF type code of the stored values
};

// The layout of an epoched branch: its one matrix holds the epochs side by
// side, `ancho` columns each, with the epoch's event at column `pre` of it.
// Epochs keep where their event lay in the recording they were cut from and
// its kind; the branch's event table has one event per epoch at its zero.
struct Epocas {
    int32_t pre = 0;
    int32_t post = 0;
    int32_t ancho = 1;                                // pre + 1 + post
    std::vector<int64_t> posicionesOrigen;            // sample of each epoch's event in the source
    std::vector<std::pair<int32_t, int32_t>> tipos;   // (tipo, calificador) of each epoch's event
    std::vector<int64_t> promediadas;  // in an average per kind, the epochs behind each mean; else empty
    std::size_t numero() const { return posicionesOrigen.size(); }
};

// Channels and event table are shared (not copied) by a derived record until
// the store takes its own deep copy with clonarEEG.
struct EEG {
    std::string sujeto;
    std::string identificacionRegistro;
    std::string fechaRegistro;              // the file's start date text, as stored
    std::optional<FechaHora> fechaHora;     // that start understood; nullopt when the file gives none
    uint64_t idEquipo = 0;
    uint64_t idLaboratorio = 0;
    uint64_t idTecnico = 0;
    std::string reservado;
    int64_t numeroMuestras = 0;
    int32_t frecuenciaMuestreo = 0;
    std::string historia;
    double tiempoInicio = 0.0;
    double tiempoFin = 0.0;
    uint32_t numeroCanales = 0;
    std::shared_ptr<std::vector<Canal>> canales = std::make_shared<std::vector<Canal>>();
    int32_t numeroMatrices = 0;
    std::vector<arma::mat> matrices;  // each numeroCanales x numeroMuestras, one row per channel
    std::shared_ptr<TablaEventos> tablaEventos;  // null when the record has none
    std::shared_ptr<const Epocas> epocas;        // null for a continuous or averaged branch
    // On a branch of component activations, the decomposition behind them;
    // null elsewhere. A step's result never inherits it (derivarEEG), a
    // copy does (clonarEEG).
    std::shared_ptr<const DescomposicionICA> descomposicion;
    // Labels of the channels marked bad, in the order they were marked: their
    // data stay in the matrix, and the steps that combine channels (the
    // average reference, interpolation) leave them out.
    std::vector<std::string> canalesMalos;

    // Empty record: no channels, no matrices, no event table.
    EEG() = default;

    // Record built from a header: zero-filled canales x muestras matrix and
    // empty channel records. Throws std::invalid_argument for a sampling
    // rate of 0 or below, or negative counts.
    EEG(int32_t frecuencia, uint32_t canales, int64_t muestras);

    const arma::mat& datos() const;  // first matrix; throws std::out_of_range when there is none
    bool tieneEventos() const { return tablaEventos != nullptr; }
};

// (muestras - 1) / frecuencia in integer division, as a double.
double calcularTiempoFin(int64_t muestras, int32_t frecuencia);

// New record with the source's metadata, channels and event table (shared)
// and one matrix, `datos`, taken over (callers std::move a result they no
// longer need). The sample count stays the source's.
EEG derivarEEG(const EEG& fuente, arma::mat datos);

// Deep copy: own texts, channels (with locations), first matrix and event
// table, as the store keeps every branch. The block copied is fixed by the
// record's counts; throws std::length_error when the channels or the first
// matrix are fewer or smaller than those counts.
std::unique_ptr<EEG> clonarEEG(const EEG& fuente);
// The same from a record about to be dropped (a step's result): its first
// matrix is taken over instead of copied when it is exactly the block a copy
// would keep, which spares a second matrix of the branch's size.
std::unique_ptr<EEG> clonarEEG(EEG&& fuente);

// Row indices of the branch's bad channels, ascending; a label the channel
// list lacks is skipped (a list is checked where it is set).
std::vector<arma::uword> filasCanalesMalos(const EEG& eeg);

// Sets event e at index i of the table, giving it its kind's colour, or a new
// colour from the C library generator (draws: blue, green, red) for a new kind.
void fijarEvento(TablaEventos& tabla, Evento e, int32_t i);
