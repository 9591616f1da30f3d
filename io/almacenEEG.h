#pragma once
// The recording store: an ordered list of recordings, each an ordered list of
// processing branches. Pure logic, no widgets: the main window keeps one and
// mirrors it in its two selectors.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/EEG.h"

// History becomes: old history, one blank, the tag.
void etiquetarRama(EEG& eeg, std::string etiqueta);

class AlmacenEEG {
public:
    int numeroArchivos() const { return static_cast<int>(archivos_.size()); }
    int numeroRamas(int archivo) const;  // 0 when the index names no recording
    bool nombraRama(int archivo, int rama) const;
    const EEG& rama(int archivo, int rama) const;  // throws std::out_of_range

    // `ruta` is the file the recording was read from (empty when it came from
    // none); the window names the recording by it.
    void anadirArchivo(std::unique_ptr<EEG> eeg, std::string ruta = {});
    const std::string& rutaArchivo(int archivo) const;  // throws std::out_of_range
    void anadirRama(int archivo, std::unique_ptr<EEG> eeg);  // throws std::out_of_range
    // Removes one branch; removing branch 0 removes the whole recording.
    void borrarRama(int archivo, int rama);  // throws std::out_of_range

    // "eeg r-b" (1-based) followed by the branch's history.
    std::string descripcion(int archivo, int rama) const;

    // Derived branches (every branch but the recording as read, which is on
    // disk already) exist only here until "guardar rama seleccionada" writes
    // them; the window asks before they are lost.
    void marcarGuardada(int archivo, int rama);  // throws std::out_of_range
    int ramasSinGuardar() const;
    std::vector<std::pair<int, int>> posicionesSinGuardar() const;  // (archivo, rama), in store order

    // Every branch gets a number when it is stored, never given again (an
    // address may be: a new branch can take a removed one's memory), so that
    // a tab or window can find its branch again or know it is gone.
    uint64_t numeroRama(int archivo, int rama) const;  // throws std::out_of_range
    // Where the branch with that number is now, as (archivo, rama); nullopt
    // when it is no longer in the store. Positions shift when branches are removed.
    std::optional<std::pair<int, int>> posicion(uint64_t numero) const;
    // The branch with that number, or null once it has left the store.
    const EEG* buscar(uint64_t numero) const;
    // That branch's bad-channel list, the only thing in a stored branch that
    // changes in place (marking a channel leaves the samples as they are);
    // null once the branch has left the store.
    std::vector<std::string>* canalesMalos(uint64_t numero);

private:
    struct Rama {
        std::unique_ptr<EEG> eeg;
        bool guardada = false;
        uint64_t numero = 0;
    };
    std::vector<std::vector<Rama>> archivos_;
    std::vector<std::string> rutas_;  // one per recording, beside archivos_
    uint64_t siguienteNumero_ = 1;
};
