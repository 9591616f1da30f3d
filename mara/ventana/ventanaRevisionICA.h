#pragma once
// The component review: a grid of a branch's ICA components by decreasing
// share of variance, each with its scalp map, log spectrum (8–13 Hz shaded),
// time course, share and MARA's artefact probability, and a "quitar" box
// pre-set by MARA's vote. A click opens a component larger; "aplicar" adds
// the branch without the ticked components to the main window's store.
//
// Maps, spectra and the vote are computed on a worker thread (core functions
// prepararRevision and votoMara): the grid shows as soon as the first are
// ready, the ticks when the vote arrives. The window keeps its own copy of
// the activations, so it stays whole when the branch leaves the store.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <armadillo>

#include "io/EEG.h"
#include "mara/aplicarMara.h"

class Ondelar;
class QCheckBox;
class QPushButton;

struct FuenteRevision {
    std::shared_ptr<const EEG> activaciones;  // a branch with its decomposition
    uint64_t numeroRama = 0;                  // its store number, where "aplicar" adds the new branch
    QString nombre;                           // "eeg 1-3 … ICA", for the title
    std::filesystem::path directorioModelos;  // MARA's model files
    std::optional<uint32_t> semilla;          // the vote's curve fits; the clock when empty
};

class ventanaRevisionICA : public QWidget {
    Q_OBJECT

public:
    // Starts the worker at once. `principal` runs "aplicar"; may be null (no branch is added then).
    ventanaRevisionICA(Ondelar* principal, FuenteRevision fuente, QWidget* parent = nullptr);
    ~ventanaRevisionICA() override;  // stops the worker and waits for it

    bool rejillaLista() const;    // maps and spectra shown
    bool votoTerminado() const;   // the vote shown, or its absence explained
    const std::optional<InformeMara>& voto() const;
    QString textoVoto() const;    // what the window says of the vote
    int msPrimeraPantalla() const;  // from construction to the grid shown; -1 before

    // The "quitar" box of component `numero` (from 1); null out of range or before the grid.
    QCheckBox* casilla(arma::uword numero) const;
    // Component numbers (from 1) in the grid's order, top left first.
    std::vector<arma::uword> ordenRejilla() const;
    std::vector<arma::uword> elegidas() const;  // ticked, ascending
    // Opens component `numero` larger, as a click on its cell does; the view is returned.
    QWidget* abrirComponente(arma::uword numero);
    // The "aplicar" button's action: the branch without the ticked components,
    // its tag's origin as origenEleccion. False when nothing was added.
    bool aplicar();

signals:
    void rejillaMostrada();
    void votoMostrado();

private:
    struct Estado;
    std::unique_ptr<Estado> d_;
    void construir();
    void arrancarTrabajo();
    void mostrarRejilla();
    void mostrarVoto(std::optional<InformeMara> voto, const QString& motivo);
    void actualizarResumen();
};
