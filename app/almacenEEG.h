#pragma once
// The recording store: an ordered list of recordings, each an ordered list of
// processing branches. Pure logic, no widgets: the main window keeps one and
// mirrors it in its two selectors.

#include <memory>
#include <string>
#include <vector>

#include "io/EEG.h"

// Deep copy: own texts, channels (with locations), first matrix and event
// table. The block copied is fixed by the record's counts; throws
// std::length_error when the first matrix is smaller than those counts.
std::unique_ptr<EEG> clonarEEG(const EEG& fuente);

// History becomes: old history, one blank, the tag.
void etiquetarRama(EEG& eeg, std::string etiqueta);

class AlmacenEEG {
public:
    int numeroArchivos() const { return static_cast<int>(archivos_.size()); }
    int numeroRamas(int archivo) const;  // 0 when the index names no recording
    bool nombraRama(int archivo, int rama) const;
    const EEG& rama(int archivo, int rama) const;  // throws std::out_of_range

    void anadirArchivo(std::unique_ptr<EEG> eeg);
    void anadirRama(int archivo, std::unique_ptr<EEG> eeg);  // throws std::out_of_range
    // Removes one branch; removing branch 0 removes the whole recording.
    void borrarRama(int archivo, int rama);  // throws std::out_of_range

    // "eeg r-b" (1-based) followed by the branch's history.
    std::string descripcion(int archivo, int rama) const;

private:
    std::vector<std::vector<std::unique_ptr<EEG>>> archivos_;
};
