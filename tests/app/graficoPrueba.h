#pragma once
// Helpers shared by the plot tests: synthetic branches and access to the
// chooser and the chart of a tab.

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QListWidget>
#include <QtTest>
#include <QScrollArea>
#include <QTabWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "app/GuiElegirCanalesDibujar.h"
#include "app/Ondelar.h"
#include "app/almacenEEG.h"
#include "ui_GuiElegirCanalesDibujar.h"
#include "ui_Ondelar.h"

namespace prueba {

// A branch as a .dat reader gives it: no event table, start time 0; sample
// (c, s) = datos(c, s) when given, else c * 1000 + s.
inline EEG eegSintetico(int frecuencia, const std::vector<std::string>& etiquetas, int muestras) {
    EEG e(frecuencia, static_cast<uint32_t>(etiquetas.size()), muestras);
    for (std::size_t c = 0; c < etiquetas.size(); ++c) {
        (*e.canales)[c].etiqueta = etiquetas[c];
        for (int s = 0; s < muestras; ++s) e.matrices[0](c, static_cast<arma::uword>(s)) = 1000.0 * c + s;
    }
    return e;
}

inline Evento evento(int tipo, int posicion, int rojo, int verde, int azul) {
    Evento e;
    e.tipo = tipo;
    e.posicion = posicion;
    e.calificador = 1;
    e.rojo = rojo;
    e.verde = verde;
    e.azul = azul;
    return e;
}

inline std::vector<GuiElegirCanalesDibujar*> selectores() {
    std::vector<GuiElegirCanalesDibujar*> r;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<GuiElegirCanalesDibujar*>(w)) r.push_back(s);
    return r;
}

// Closes every top-level window but the main one and releases those that
// delete themselves on close.
inline void cerrarVentanasSueltas(QWidget* principal) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != principal && w->isVisible()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline QtCharts::QChartView* vistaDeLaPestana(Ondelar& v, int pestana) {
    auto* desplazable = qobject_cast<QScrollArea*>(v.ui->panelTabs->widget(pestana));
    return desplazable ? qobject_cast<QtCharts::QChartView*>(desplazable->widget()) : nullptr;
}

inline std::vector<QtCharts::QLineSeries*> seriesDeLaPestana(Ondelar& v, int pestana) {
    std::vector<QtCharts::QLineSeries*> r;
    QtCharts::QChartView* vista = vistaDeLaPestana(v, pestana);
    if (!vista) return r;
    for (QtCharts::QAbstractSeries* s : vista->chart()->series())
        if (auto* l = qobject_cast<QtCharts::QLineSeries*>(s)) r.push_back(l);
    return r;
}

}  // namespace prueba

namespace prueba {
// One click on channel row `fila` of the chooser, as the user toggles it.
inline void pulsarCanal(GuiElegirCanalesDibujar* g, int fila) {
    QListWidget* lista = g->ui->listWidget;
    const QRect r = lista->visualItemRect(lista->item(fila));
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}
}  // namespace prueba
