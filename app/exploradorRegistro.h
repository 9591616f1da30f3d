#pragma once
// The recording browser: a branch's channels stacked in rows over a page of
// seconds, with a time axis, a scale bar, labelled event lines and, for an
// averaged branch, the zero line. It reads the branch's matrix in place on
// every paint (representacion/exploracion.h computes the page), so it never keeps a
// copy; the branch is looked up through a function each time, and a branch
// that has since been deleted is simply not drawn. After the first paint it
// builds the branch's min/max pyramid in small chunks while the event loop
// is idle, so long pages draw from it; until then they read the samples.
//
// Keys (on the drawing): ← → a page, Shift+← → half a page, Home / End,
// + / − the scale, PgUp / PgDn the channel pages. Wheel scrolls, Ctrl+wheel
// scales; a click reads the channel, time and value under the pointer. A
// click on a channel's label toggles it bad or good on its branch; bad
// channels are drawn in grey.
//
// An epoched branch is reviewed here: epoch boundaries are drawn, the epochs
// marked for rejection are shaded with the rule that marked them, a click
// toggles the mark of the epoch under it, and a panel lists every epoch with
// "aplicar rechazo", which hands the marks to the window.

#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QWidget>

#include "representacion/exploracion.h"
#include "representacion/revisionEpocas.h"
#include "io/EEG.h"

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QScrollBar;
class QSpinBox;
class QTimer;
class ExploradorRegistro;
class PanelEpocas;

// The drawing surface of the browser: paints the page and turns keys, wheel
// and clicks into navigation of its browser.
class LienzoExplorador : public QWidget {
    Q_OBJECT

public:
    static constexpr int margenIzquierdo = 72;  // channel labels
    static constexpr int margenDerecho = 64;    // scale bar
    static constexpr int margenSuperior = 18;   // event labels
    static constexpr int margenInferior = 26;   // time axis

    explicit LienzoExplorador(ExploradorRegistro* explorador);

    // The rectangle the traces occupy, and its width in pixel columns.
    QRect areaTrazo() const;
    int pixelesTrazo() const { return areaTrazo().width(); }
    // Vertical centre of row `fila` (0 = top row of the page).
    double centroFila(int fila) const;
    double altoFila() const;

protected:
    void paintEvent(QPaintEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void wheelEvent(QWheelEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;

private:
    ExploradorRegistro* explorador_;
    std::vector<TrazoFila> trazos_;  // reused from page to page

    // The parts of a page, in painting order.
    void pintarEpocas(QPainter& p) const;
    void pintarTrazos(QPainter& p) const;
    void pintarCeroYEventos(QPainter& p, const EEG& rama) const;
    void pintarEjeYEscala(QPainter& p, std::size_t filas) const;
};

class ExploradorRegistro : public QWidget {
    Q_OBJECT

public:
    using FuenteRama = std::function<const EEG*()>;

    // `fuente` gives the branch to show, or null once it is gone. Throws
    // std::invalid_argument when the branch cannot be drawn (no channels, no
    // samples or no sampling rate).
    explicit ExploradorRegistro(FuenteRama fuente, QWidget* parent = nullptr);

    const EEG* rama() const { return fuente_(); }
    const Exploracion& estado() const { return estado_; }
    LienzoExplorador* lienzo() const { return lienzo_; }
    QScrollBar* barra() const { return barra_; }
    QLineEdit* campoIrA() const { return irA_; }
    QSpinBox* campoFilas() const { return filas_; }
    QDoubleSpinBox* campoSegundos() const { return segundos_; }
    QListWidget* listaCanales() const { return lista_; }
    QLabel* lectura() const { return lectura_; }
    // The pyramid for the branch shown, or null while it is being built.
    const PiramideExtremos* piramide() const;

    // The channels' labels as drawn at the left of their rows.
    QString etiquetaCanal(int canal) const;

    // Every change of the view goes through here: the state is changed,
    // then the controls and the drawing follow it.
    void cambiar(const std::function<void(Exploracion&)>& cambio);
    // Limits the rows to these channels (all when empty) and ticks them in the list.
    void elegirCanales(const std::vector<int>& canales);

    struct Lectura {
        int canal;     // row of the matrix
        double tiempo; // seconds, branch time
        double valor;
    };
    // Reads the sample under pixel column `pixel` of page row `fila`;
    // nothing when there is no sample there.
    std::optional<Lectura> leer(int fila, int pixel);
    const std::optional<Lectura>& ultimaLectura() const { return ultimaLectura_; }

    // Until the user sets the channels per page, the page shows as many rows
    // as fit in the drawing's height (filasQueCaben); called on each resize.
    void ajustarFilasAlAlto();
    bool filasElegidas() const { return filasElegidas_; }

    // Starts (or restarts, when the branch's matrix changed) building the
    // pyramid in the background of the event loop.
    void prepararPiramide();

    // The review of an epoched branch; null for any other.
    const RevisionEpocas* revision() const { return revision_ ? &*revision_ : nullptr; }
    PanelEpocas* panelEpocas() const { return panel_; }
    // The rules' marks (marcarEpocas), replacing the user's changes.
    void fijarMotivos(std::vector<std::vector<MotivoRechazo>> motivos);
    void alternarEpoca(std::size_t epoca);
    // Moves the page so that it starts at that epoch.
    void irAEpoca(std::size_t epoca);
    // Hears "aplicar rechazo" with the marks (true: drop the epoch).
    std::function<void(const std::vector<bool>& quitar)> alAplicarRechazo;
    // Hears a click on a channel's label (its exact label in the branch).
    std::function<void(const std::string& etiqueta)> alAlternarCanalMalo;
    // Page row at vertical pixel y of the drawing, or -1 outside the rows.
    int filaEnAltura(int y) const;
    // What a click on the label of page row `fila` does.
    void alternarCanalMaloDeFila(int fila);

private:
    void avanzarPiramide();
    void sincronizarControles();
    void irATextoCampo();
    void canalesDeLaLista();

    FuenteRama fuente_;
    Exploracion estado_;
    LienzoExplorador* lienzo_;
    QScrollBar* barra_;
    QLineEdit* irA_;
    QSpinBox* filas_;
    QDoubleSpinBox* segundos_;
    QListWidget* lista_;
    QLabel* lectura_;
    int64_t unidadBarra_ = 1;  // columns per scrollbar step, so an int range holds any recording
    bool sincronizando_ = false;
    bool filasElegidas_ = false;  // the user set the channels per page
    std::optional<Lectura> ultimaLectura_;
    PiramideExtremos piramide_;
    QTimer* temporizadorPiramide_;
    std::optional<RevisionEpocas> revision_;
    PanelEpocas* panel_ = nullptr;
    void prepararRevision();
};
