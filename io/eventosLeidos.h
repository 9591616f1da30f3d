#pragma once
// The event table of a reader whose file names or numbers its events as it
// goes (EDF+ annotations, a trigger channel, BrainVision markers): kinds named
// by a text are numbered in order of first appearance, and events that fall
// outside the recording are dropped and counted rather than kept.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "io/EEG.h"

// Kind numbers for texts: the first text met gets `primero`, the next new one
// primero + 1, and so on; a text met again gets its number back.
class NumeracionTextos {
public:
    explicit NumeracionTextos(int32_t primero = 1) : siguiente_(primero) {}
    int32_t numero(const std::string& texto);
    const std::map<std::string, int32_t>& numeros() const { return numeros_; }

private:
    int32_t siguiente_;
    std::map<std::string, int32_t> numeros_;
};

// Table of `eventos` (sorted by column, ties kept in the given order) whose
// posicion lies in [0, muestras); *descartados gets how many were dropped.
// Every kind gets its colour as fijarEvento gives it. `modo` is 3 when an
// event has a duration or a channel, 1 otherwise.
std::shared_ptr<TablaEventos> construirTablaEventos(std::vector<Evento> eventos, int64_t muestras,
                                                    size_t* descartados);

// Position (seconds x rate) rounded to the nearest column, kept inside int32.
int32_t columnaDeTiempo(double segundos, double frecuencia);
