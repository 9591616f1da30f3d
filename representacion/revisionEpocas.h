#pragma once
// The review of an epoched branch by eye: which epochs are marked for
// rejection and why, as the automatic rules left them and the user's clicks
// changed them, and where epochs fall on a page of the browser. No Qt here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "averaging/epocas.h"

class RevisionEpocas {
public:
    // Every epoch of the branch unmarked; `numero` epochs of `ancho` columns.
    RevisionEpocas(std::size_t numero, int32_t ancho);

    // The rules' marks (marcarEpocas), one entry per epoch; the user's
    // changes are forgotten. Throws std::invalid_argument when the count differs.
    void fijarMotivos(std::vector<std::vector<MotivoRechazo>> motivos);

    std::size_t numero() const { return marcadas_.size(); }
    int32_t ancho() const { return ancho_; }
    bool marcada(std::size_t epoca) const { return marcadas_.at(epoca); }
    // A click: marked becomes kept and kept becomes marked.
    void alternar(std::size_t epoca);
    const std::vector<bool>& marcadas() const { return marcadas_; }
    std::size_t numeroMarcadas() const;

    // What the review says of an epoch: the rules that marked it
    // ("pp Fz, prob global"), "a mano" when the user marked it, and
    // " (conservada a mano)" after the rules when the user kept it.
    std::string motivo(std::size_t epoca) const;
    // "3 de 40 épocas marcadas".
    std::string resumen() const;

    // The epoch holding a column of the branch, or -1 outside the branch.
    int64_t epocaDeColumna(int64_t columna) const;
    // The epochs that a page [inicio, inicio + muestrasPagina) touches, in order.
    std::vector<std::size_t> epocasPagina(int64_t inicio, double muestrasPagina) const;

private:
    int32_t ancho_;
    std::vector<std::vector<MotivoRechazo>> motivos_;
    std::vector<bool> marcadas_;
};
