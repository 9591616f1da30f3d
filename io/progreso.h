#pragma once
// Progress and cancellation of a long step, with no Qt: the window and the
// runner attach their own reporter; a step given an empty Avance runs exactly
// as it would without one.
//
// A step calls its Avance with the fraction of its own work done, often
// enough that no more than about 100 ms of work pass between two calls. The
// reporter may throw Cancelado from inside that call: the step then unwinds,
// and since steps build their results in locals and write files through a
// temporary, nothing partial is left behind.
//
// Calls are cheap: an Avance passes a call on to its reporter only when the
// whole fraction moved by at least 0.001, the stage changed, the work ended
// or 20 ms passed since the last report, so a step may call it in its inner
// loops. The reporter therefore hears (and may cancel) at least every 20 ms
// plus the longest stretch between two calls.

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// Thrown by a reporter to stop the step that called it.
class Cancelado : public std::runtime_error {
public:
    Cancelado() : std::runtime_error("operación cancelada por el usuario") {}
};

// The reporter seen by a step: maps the step's own fraction [0, 1] onto the
// part [inicio, fin] of the whole operation, under the stage's name.
class Avance {
public:
    // fraccion of the whole operation in [0, 1]; etapa names the current stage
    // in Spanish ("ICA", "calibrando"...), possibly empty. May throw Cancelado.
    using Informe = std::function<void(double fraccion, const std::string& etapa)>;

    Avance() = default;
    explicit Avance(Informe informe);

    // Reports `fraccion` (clamped to [0, 1]) of this stage's work.
    void operator()(double fraccion) const {
        if (comun_) informar(fraccion);
    }
    // Reports `hechas` of `total` units of this stage's work (nothing when total is 0).
    void operator()(double hechas, double total) const {
        if (comun_ && total > 0) informar(hechas / total);
    }
    // The sub-stage covering [desde, hasta] of this stage; it keeps this
    // stage's name unless given one. Sub-stages share the throttling.
    Avance tramo(double desde, double hasta, const std::string& etapa = std::string()) const;
    bool activo() const { return static_cast<bool>(comun_); }

private:
    // What every sub-stage of one operation shares: the reporter and what it
    // last heard.
    struct Comun {
        Informe informe;
        double ultimaFraccion = -1.0;
        std::string ultimaEtapa;
        std::chrono::steady_clock::time_point ultimoInstante;
    };

    void informar(double fraccion) const;

    std::shared_ptr<Comun> comun_;
    double inicio_ = 0.0;
    double fin_ = 1.0;
    std::shared_ptr<const std::string> etapa_;
};
