#pragma once
// One MARA run over a record: ICA, the six features per component, the
// linear classifier against the stored training set, and the back-projection
// of the components it keeps.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <armadillo>

#include "io/EEG.h"
#include "io/progreso.h"
#include "mara/emparejamientoCanales.h"
#include "mara/modeloMara.h"

class Mara {
public:
    // The share of the whole run the ICA takes in the reported fraction.
    static constexpr double fraccionICA = 0.8;
    using Aviso = std::function<void(const std::string& texto)>;

    // Load the model files from the running executable's directory, or from
    // `directorioModelos`. The record is read, never changed, and must outlive
    // the object. Throws std::runtime_error for a model file that is missing,
    // unreadable or malformed (cargarModeloMara).
    explicit Mara(const EEG& registro);
    Mara(const EEG& registro, const std::filesystem::path& directorioModelos);

    // The pipeline's two informational messages ("patterns Q n", "Q 2"); the
    // run waits for the call to return. Nothing is reported while empty.
    Aviso avisar;
    // Seeds the ICA and the curve fits' random starts; the clock when empty.
    std::optional<uint32_t> semilla;
    // Hears the stages: ICA, features, classifier.
    Avance avance;

    // Checks that need no decomposition, so a doomed input is refused before
    // the ICA: matrix and channel records of one size, at least 2 channels
    // matching etiquetasMara(), length and rate enough for every feature.
    // Throws std::invalid_argument with the reason.
    void comprobarEntrada() const;

    // Whole pipeline with icaAlRango (eta 0.001, Q = the data's rank, C when
    // full). Returns a copy of the record when no component is an artefact,
    // otherwise the reconstruction without them. Throws on any failure.
    EEG procesar();
    // The same with a given decomposition: W (Q x C weights, Q <= C), S (C x C sphere).
    EEG procesar(const arma::mat& W, const arma::mat& S);

    // Back-projection of the components not listed in `artefactos`
    // ((rows kept of W) x S x the stored samples, then mixed by the kept
    // columns of pinv(W S)); a record derived from the input.
    // Throws std::invalid_argument for an index >= Q or mismatched sizes.
    EEG reconstruirSinArtefactos(const arma::uvec& artefactos, const arma::mat& W, const arma::mat& S);

    // Outcome of the last procesar, for inspection.
    const arma::mat& mezcla() const { return mezcla_; }                  // C x Q
    const arma::mat& caracteristicas() const { return caracteristicas_; }  // 6 x Q
    const arma::uvec& artefactos() const { return artefactos_; }           // ascending
    const arma::vec& probabilidades() const { return probabilidades_; }    // Q: posterior of the artefact class
    const ModeloMara& modelo() const { return modelo_; }  // training features as adapted

private:
    const EEG* registro;
    const arma::mat* datos;
    ModeloMara modelo_;
    EmparejamientoCanales emparejamiento_;
    arma::mat mezcla_;
    arma::mat caracteristicas_;
    arma::uvec artefactos_;
    arma::vec probabilidades_;
};
