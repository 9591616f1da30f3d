#pragma once
// Parameter dialog of the frequency filter: the filter type, the two limits
// and the attenuation, with the magnitude response of the filter those give
// on the selected branch (or the reason it would be refused). It only
// collects and draws; the design is the core's and the main window's command
// does the work once the user accepts.

#include <memory>
#include <optional>

#include <QPointer>
#include <QWidget>

#include "filtering/filtroFrecuencial.h"

class Ondelar;
namespace QtCharts {
class QLineSeries;
}  // namespace QtCharts
namespace Ui {
class GUIfiltroFrecuencial;
}
class GraficoRespuesta;

class GUIfiltroFrecuencial : public QWidget {
    Q_OBJECT

public:
    // Builds the form with the step's defaults (OpcionesFiltro) and connects
    // `aceptar`; top-level when parent is null.
    explicit GUIfiltroFrecuencial(QWidget* parent = nullptr);
    ~GUIfiltroFrecuencial() override;

    // The window whose filter command runs on acceptance; its selected branch
    // is the one the drawn response is designed for.
    void fijarVentanaPrincipal(Ondelar* ventana);
    Ondelar* ventanaPrincipal() const { return principal; }

    // The type shown: 0 high-pass when rbAltos is checked, else 1 low-pass for
    // rbBajos, else 2 band-pass for rbBanda, else 3 band-stop.
    int codigoTipo() const;
    // The fields as the step's options: what "aceptar" hands to the window.
    OpcionesFiltro opciones() const;

    std::unique_ptr<Ui::GUIfiltroFrecuencial> ui;

public slots:
    // Reads the options, closes the dialog, then runs the main window's filter command.
    void onClickAceptar();

private slots:
    // Redraws the response (or shows the refusal) for the fields as they are.
    void actualizarRespuesta();


private:
    QPointer<Ondelar> principal;         // null once that window is gone
    std::optional<RamaFiltrable> rama;   // the selected branch, if there is one
    GraficoRespuesta* vista = nullptr;
    QtCharts::QLineSeries* serieInferior = nullptr;
    QtCharts::QLineSeries* serieSuperior = nullptr;
};
