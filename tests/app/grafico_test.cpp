// The signal plot: the channel chooser, the series and axes of a drawn
// branch, the stretch of points its channel series hold (which stretch, in
// seconds and samples: tests/representacion/puntos_serie_test.cpp), and a
// real rendering of the chart.

#include <algorithm>
#include <cmath>

#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "app/GuiElegirCanalesDibujar.h"
#include "app/graficoCanales.h"
#include "app/seriesGrafico.h"
#include "io/cargarRegistro.h"
#include "tests/app/pulsoHiloGui.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GuiElegirCanalesDibujar.h"

using namespace QtCharts;
using namespace prueba;

namespace {

// A branch as a .dat reader gives it (no events, start 0); sample (c, s) = 1000 c + s.
EEG sintetico(int frecuencia, const std::vector<std::string>& etiquetas, int muestras) {
    EEG e(frecuencia, static_cast<uint32_t>(etiquetas.size()), muestras);
    for (std::size_t c = 0; c < etiquetas.size(); ++c) {
        (*e.canales)[c].etiqueta = etiquetas[c];
        e.matrices[0].row(c) = 1000.0 * c + arma::regspace<arma::rowvec>(0, muestras - 1);
    }
    return e;
}

GraficoCanales* pestanaGrafico(Ondelar& v, int pestana = 0) {
    return qobject_cast<GraficoCanales*>(v.ui->panelTabs->widget(pestana));
}

QChartView* vista(Ondelar& v, int pestana) {
    GraficoCanales* g = pestanaGrafico(v, pestana);
    return g ? g->vista() : nullptr;
}

// What keeps a tab's channel series to the stretch on screen, once it has
// put every series on the chart and filled them (a few per turn of the event
// loop) and the chart has laid them out (the legend shows its entries then).
TramosGrafico* tramos(Ondelar& v, int pestana = 0) {
    QWidget* w = v.ui->panelTabs->widget(pestana);
    auto* t = w ? w->findChild<TramosGrafico*>() : nullptr;
    if (t) QTest::qWaitFor([t] { return t->completo(); });
    QCoreApplication::processEvents();
    return t;
}

std::vector<QLineSeries*> series(Ondelar& v, int pestana = 0) {
    tramos(v, pestana);
    std::vector<QLineSeries*> r;
    if (QChartView* w = vista(v, pestana))
        for (QAbstractSeries* s : w->chart()->series()) r.push_back(qobject_cast<QLineSeries*>(s));
    return r;
}

QValueAxis* eje(Ondelar& v, Qt::Orientation o) {
    return qobject_cast<QValueAxis*>(vista(v, 0)->chart()->axes(o).value(0));
}

// Empty when series shows samples t.desde .. t.hasta - 1 of row `fila`, one
// point each at (i / frecuencia - desfase, datos(fila, i)); else what differs.
QString mismosPuntos(const QLineSeries* serie, const TramoMuestras& t, const arma::mat& datos, int fila, int frecuencia,
                     double desfase) {
    if (t.vacio() || serie->count() != t.longitud())
        return QString("%1 puntos para el tramo %2 .. %3").arg(serie->count()).arg(t.desde).arg(t.hasta);
    for (int k = 0; k < serie->count(); ++k) {
        const auto i = static_cast<arma::uword>(t.desde + k);
        const QPointF esperado(static_cast<double>(i) / frecuencia - desfase, datos(fila, i));
        if (serie->at(k) != esperado) return QString("punto %1 (muestra %2) distinto").arg(k).arg(i);
    }
    return {};
}

// The plot area in the view's pixels.
QRect areaEnVista(QChartView* w) {
    return w->mapFromScene(w->chart()->mapToScene(w->chart()->plotArea())).boundingRect();
}

// A mouse button pressed at x0 and released at x1 half way down the plot,
// moving in between with the button held (a rubber band when it is the left one).
void arrastrar(QChartView* w, Qt::MouseButton boton, int x0, int x1) {
    const int y = areaEnVista(w).center().y();
    QMouseEvent pulsar(QEvent::MouseButtonPress, QPointF(x0, y), boton, boton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &pulsar);
    QMouseEvent mover(QEvent::MouseMove, QPointF(x1, y), Qt::NoButton, boton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &mover);
    QMouseEvent soltar(QEvent::MouseButtonRelease, QPointF(x1, y), boton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->viewport(), &soltar);
}

// Pixels of the area that are the colour c blended with the white background
// (antialiased lines cover pixels partly): 255 - pixel is then the same
// fraction of 255 - c on all three components.
int pixelesDelColor(const QImage& imagen, const QRect& area, const QColor& c) {
    const double d[3] = {255.0 - c.red(), 255.0 - c.green(), 255.0 - c.blue()};
    const int k = int(std::max_element(d, d + 3) - d);
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = imagen.pixel(x, y);
            const double q[3] = {255.0 - qRed(p), 255.0 - qGreen(p), 255.0 - qBlue(p)};
            const double fraccion = q[k] / d[k];
            bool igual = fraccion >= 0.5 && fraccion <= 1.05;
            for (int j = 0; j < 3; ++j) igual = igual && std::abs(q[j] - fraccion * d[j]) <= 14.0;
            n += igual;
        }
    return n;
}

}  // namespace

class PruebaGrafico : public QObject {
    Q_OBJECT
private slots:
    void elSelectorDeCanales() {
        VentanaPrueba f;
        f->graficoDibujar();  // nothing loaded
        QCOMPARE(f.mensajes, QStringList{"Fallo en los datos, revise que en el EEG seleccionado hay datos"});
        EEG cero = sintetico(256, {"Fz"}, 10);
        cero.frecuenciaMuestreo = 0;
        f.anadir(cero);
        f->graficoDibujar();
        f->dibujarCanales({0}, 1.0, 0.0);
        QCOMPARE(f.mensajes.size(), 3);
        QVERIFY(f.mensajes[1].contains("frecuencia de muestreo es 0 Hz"));
        QCOMPARE(cuantas<GuiElegirCanalesDibujar>(), 0);
        QCOMPARE(f.ui().panelTabs->count(), 0);

        // Rows 1 and 3 hold -40.5 .. 62.25; row 2 holds larger values. A GDF
        // label keeps its field's padding; the list shows it without.
        EEG e = sintetico(256, {"Fz", "Cz", std::string("P3  \0\0", 6)}, 4);
        e.matrices[0] = arma::mat{{1.0, 62.25, 0.0, 3.0}, {500.0, -500.0, 0.0, 0.0}, {-40.5, 2.0, 7.5, 0.0}};
        f.anadir(e);
        f.mensajes.clear();
        f->graficoDibujar();
        GuiElegirCanalesDibujar* g = abierta<GuiElegirCanalesDibujar>();
        QVERIFY(QTest::qWaitForWindowExposed(g));
        QListWidget* lista = g->ui->listWidget;
        QCOMPARE(lista->item(0)->text(), QString("can 1 - Fz"));
        QCOMPARE(lista->item(2)->text(), QString("can 3 - P3"));
        QVERIFY(lista->selectedItems().isEmpty());
        pulsarFila(lista, 0);
        pulsarFila(lista, 2);
        QCOMPARE(std::make_pair(g->ui->minAmpPlot->value(), g->ui->maxAmpPlot->value()), std::make_pair(-40.5, 62.25));
        pulsarFila(lista, 0);
        QCOMPARE(g->canales(), (QList<int>{2}));
        QCOMPARE(g->ui->maxAmpPlot->value(), 7.5);
        lista->clearSelection();
        // "aceptar" with nothing chosen only closes.
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QVERIFY(!g->isVisible());
        QCOMPARE(f.ui().panelTabs->count(), 0);
        // Each use opens another chooser; one that outlives the main window only closes.
        f->graficoDibujar();
        f->graficoDibujar();
        QCOMPARE(cuantas<GuiElegirCanalesDibujar>(), 2);
        g = abierta<GuiElegirCanalesDibujar>();
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarFila(g->ui->listWidget, 0);
        f.v.reset();
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QVERIFY(!g->isVisible());
        QCOMPARE(f.mensajes, QStringList());
    }

    void dibujaLaRamaSeleccionadaAlAceptar() {
        VentanaPrueba f;
        f.anadir(sintetico(256, {"Fz", "Cz", "P3"}, 300));
        f->graficoDibujar();
        // Selected before "aceptar": an averaged-style branch starting 0.2 s before its event.
        EEG promediada = sintetico(256, {"Oz", "Pz"}, 1000);
        promediada.tiempoInicio = 0.2;
        f.anadir(promediada);
        GuiElegirCanalesDibujar* g = abierta<GuiElegirCanalesDibujar>();
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarFila(g->ui->listWidget, 0);
        pulsarFila(g->ui->listWidget, 2);  // a row recording 2 does not have
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCOMPARE(f.ui().panelTabs->tabText(0), QString("eeg 2-1"));
        const auto s = series(*f.v);
        QCOMPARE(int(s.size()), 2);
        QCOMPARE(s[0]->name(), QString("Oz"));
        // The stretch from the branch's start: sample i of row 0 holds i.
        const TramoMuestras t = tramos(*f.v)->tramo();
        QCOMPARE(t.desde, int64_t{0});
        QCOMPARE(s[0]->at(0), QPointF(-0.2, 0.0));
        QVERIFY2(mismosPuntos(s[0], t, promediada.datos(), 0, 256, 0.2).isEmpty(),
                 qPrintable(mismosPuntos(s[0], t, promediada.datos(), 0, 256, 0.2)));
        // No event table: one black "Evento" marker at 0 across the suggested
        // range of the rows chosen on recording 1 (0 .. 2299).
        QCOMPARE(s[1]->name(), QString("Evento"));
        QCOMPARE(s[1]->pen().color(), QColor(Qt::black));
        QCOMPARE(s[1]->at(0), QPointF(0.0, 0.0));
        QCOMPARE(s[1]->at(1), QPointF(0.0, 2299.0));
        QCOMPARE(eje(*f.v, Qt::Horizontal)->min(), -0.2);  // the window starts at the branch's start
        f->dibujarCanales({7}, 1.0, 0.0);                  // no channel of the branch: refused
        QCOMPARE(f.mensajes.size(), 1);
        QCOMPARE(f.ui().panelTabs->count(), 1);
    }

    void p300ConSus720Eventos() {
        const EEG leido = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
        VentanaPrueba f;
        f->show();
        f.anadir(leido);
        f->graficoDibujar();
        GuiElegirCanalesDibujar* g = abierta<GuiElegirCanalesDibujar>();
        QVERIFY(QTest::qWaitForWindowExposed(g));
        for (int c = 0; c < 8; ++c) pulsarFila(g->ui->listWidget, c);
        const double maximo = leido.datos().max(), minimo = leido.datos().min();
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCOMPARE(f.ui().panelTabs->tabText(0), QString("eeg 1-1"));
        const auto s = series(*f.v);
        QCOMPARE(int(s.size()), 8 + 720);
        const char* etiquetas[] = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};
        for (int c = 0; c < 8; ++c) QCOMPARE(s[c]->name(), QString(etiquetas[c]));
        QVERIFY2(mismosPuntos(s[2], tramos(*f.v)->tramo(), leido.datos(), 2, 256, 0.0).isEmpty(),
                 qPrintable(mismosPuntos(s[2], tramos(*f.v)->tramo(), leido.datos(), 2, 256, 0.0)));
        const TablaEventos& tabla = *leido.tablaEventos;
        for (int i = 0; i < 720; ++i) {
            const Evento& e = tabla.eventos[i];
            const auto tipo = std::find_if(tabla.tipos.begin(), tabla.tipos.end(), [&](const Evento& k) {
                return k.tipo == e.tipo && k.calificador == e.calificador;
            });
            QLineSeries* m = s[8 + i];
            QCOMPARE(m->name(), QString("%1.%2").arg(e.tipo).arg(e.calificador));
            QCOMPARE(m->pen().color(), QColor(tipo->rojo, tipo->verde, tipo->azul));
            QCOMPARE(m->at(0), QPointF(e.posicion / 256.0, minimo));
            QCOMPARE(m->at(1), QPointF(e.posicion / 256.0, maximo));
        }
        QCOMPARE(s[8]->at(0).x(), 2312.0 / 256);  // the file's first event: type 6 at 2313
        const auto entradas = vista(*f.v, 0)->chart()->legend()->markers();
        QCOMPARE(std::count_if(entradas.begin(), entradas.end(), [](QLegendMarker* m) { return m->isVisible(); }),
                 8 + 12);  // one legend entry per kind
        // The tab comes to the front; its scroll bar reaches the branch's last sample.
        QCOMPARE(f.ui().panelTabs->currentIndex(), 0);
        QScrollBar* barra = pestanaGrafico(*f.v)->barra();
        QCOMPARE(barra->maximum() + barra->pageStep(), int(leido.datos().n_cols));
        QCOMPARE(eje(*f.v, Qt::Vertical)->min(), minimo);
        QCOMPARE(eje(*f.v, Qt::Vertical)->titleText(), QString("Amplitud (µV)"));  // the reader's units
    }

    // Tabs can be closed; removing a branch or a recording closes the tabs
    // drawn from it and the others take the positions their branches have now.
    void pestanasSiguenASusRamas() {
        VentanaPrueba f;
        for (int i = 0; i < 3; ++i) f.anadir(sintetico(256, {"a"}, 300));
        f.ramaEtiquetada("CAR");  // 3-2
        for (auto [archivo, rama] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 0}, std::pair{2, 1}}) {
            f.seleccionar(archivo, rama);
            f->dibujarCanales({0}, 1.0, 0.0);
        }
        const auto titulos = [&] {
            QStringList r;
            for (int i = 0; i < f.ui().panelTabs->count(); ++i) r << f.ui().panelTabs->tabText(i);
            return r;
        };
        QCOMPARE(titulos(), QStringList({"eeg 1-1", "eeg 2-1", "eeg 3-1", "eeg 3-2"}));
        QCOMPARE(f.ui().panelTabs->currentIndex(), 3);  // a new tab comes to the front
        QVERIFY(f.ui().panelTabs->tabsClosable());

        f.seleccionar(1, 0);  // recording 2 goes; recording 3 becomes 2
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(titulos(), QStringList({"eeg 1-1", "eeg 2-1", "eeg 2-2"}));
        f.seleccionar(1, 1);  // branch 2-2 goes
        f.ui().borrar_datos_seleccionados->trigger();
        QCOMPARE(titulos(), QStringList({"eeg 1-1", "eeg 2-1"}));

        QPointer<QWidget> pestana = f.ui().panelTabs->widget(0);
        emit f.ui().panelTabs->tabCloseRequested(0);
        QCOMPARE(titulos(), QStringList({"eeg 2-1"}));
        QVERIFY(!pestana);  // released, not only hidden
    }

    // The points are made on a worker: "Cancelar" leaves no tab and the
    // window as it was; the next plot is drawn as usual. The commands off
    // meanwhile: segundo_plano_test (the same worker as every step).
    void cancelarElDibujoNoDejaPestana() {
        VentanaPrueba f;
        std::vector<std::string> etiquetas;
        for (int c = 0; c < 64; ++c) etiquetas.push_back("E" + std::to_string(c + 1));
        f.anadir(sintetico(256, etiquetas, 256 * 240));  // 3.9 million points: long enough to stop
        QList<int> todos;
        for (int c = 0; c < 64; ++c) todos << c;
        QTimer::singleShot(0, [&] { f->cancelarTrabajo(); });
        f->dibujarCanales(todos, 1.0, 0.0);
        QCOMPARE(f.ui().panelTabs->count(), 0);
        QCOMPARE(f.mensajes, QStringList());
        QVERIFY(!f->ocupado());

        f->dibujarCanales({63}, 1.0, 0.0);
        QCOMPARE(f.ui().panelTabs->count(), 1);
        const auto s = series(*f.v);
        QCOMPARE(s[0]->name(), QString("E64"));
        QCOMPARE(s[0]->at(0), QPointF(0.0, 63000.0));
    }

    // A long channel's series holds the stretch on screen, not the whole
    // branch; the scroll bar under it moves the time axis, so both axes stay
    // in sight at the start, the middle and the end.
    void desplazarConservaLosEjes() {
        VentanaPrueba f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        const EEG e = sintetico(256, {"Fz", "Cz"}, 256 * 240);
        f.anadir(e);
        f->dibujarCanales({0, 1}, 1.0, 0.0);
        QChartView* w = vista(*f.v, 0);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QScrollBar* barra = pestanaGrafico(*f.v)->barra();
        QVERIFY(barra->maximum() > 0);
        for (const int posicion : {0, barra->maximum() / 2, barra->maximum()}) {
            barra->setValue(posicion);
            const auto s = series(*f.v);
            const TramoMuestras t = tramos(*f.v)->tramo();
            QVERIFY(t.longitud() < 256 * 240 / 4);  // a few screens, not the branch
            QValueAxis* x = eje(*f.v, Qt::Horizontal);
            QCOMPARE(x->min(), posicion / 256.0);
            QCOMPARE(eje(*f.v, Qt::Vertical)->max(), 1.0);
            // Every sample on screen is held, up to the branch's ends.
            QVERIFY(t.desde <= std::max(0.0, std::floor(x->min() * 256)));
            QVERIFY(t.hasta >= std::min(256.0 * 240, std::ceil(x->max() * 256) + 1));
            const QString diferencia = mismosPuntos(s[1], t, e.datos(), 1, 256, 0.0);
            QVERIFY2(diferencia.isEmpty(), qPrintable(diferencia));
        }
        QCOMPARE(tramos(*f.v)->tramo().hasta, int64_t{256 * 240});
        // The arrow keys move a screen.
        const int antes = barra->value();
        QTest::keyClick(w, Qt::Key_Left);
        QCOMPARE(barra->value(), antes - barra->pageStep());
    }

    // A rubber band zooms into a stretch; a right click, Escape or Home go
    // back to one pixel per sample (to a few pixels) around the same centre.
    void elZoomSeDeshace() {
        VentanaPrueba f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        f.anadir(sintetico(256, {"Fz"}, 256 * 60));
        f->dibujarCanales({0}, 20000.0, 0.0);
        QChartView* w = vista(*f.v, 0);
        GraficoCanales* g = pestanaGrafico(*f.v);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        tramos(*f.v);
        QValueAxis* x = eje(*f.v, Qt::Horizontal);
        g->barra()->setValue(g->barra()->maximum() / 2);
        const double ancho = x->max() - x->min();
        const QRect area = areaEnVista(w);
        for (const int tecla : {0, int(Qt::Key_Escape), int(Qt::Key_Home)}) {
            arrastrar(w, Qt::LeftButton, area.left() + 100, area.left() + 200);
            QVERIFY(g->ampliado());
            QVERIFY2(x->max() - x->min() < ancho / 4, qPrintable(QString::number(x->max() - x->min())));
            const double centro = (x->min() + x->max()) / 2;
            QCOMPARE(g->barra()->pageStep(), int(std::lround((x->max() - x->min()) * 256)));
            if (tecla == 0)
                arrastrar(w, Qt::RightButton, area.center().x(), area.center().x());
            else
                QTest::keyClick(w, Qt::Key(tecla));
            QVERIFY(!g->ampliado());
            QVERIFY2(std::abs(x->max() - x->min() - ancho) * 256 <= 25,
                     qPrintable(QString("%1 s, antes %2 s").arg(x->max() - x->min()).arg(ancho)));
            QVERIFY(std::abs((x->min() + x->max()) / 2 - centro) < 1e-9);
            QCOMPARE(eje(*f.v, Qt::Vertical)->max(), 20000.0);
        }
    }

    // 64 channels x 310 000 samples, just under the chart's 20 million points:
    // while the plot is computed, added, shown and filled, the GUI thread never
    // works 100 ms at a stretch (its processor time per tick gap, since wall
    // time here holds the sanitizers and a loaded machine; bench/grafico
    // measures the wall-clock gap).
    void unGraficoCercaDelTopeNoDetieneLaVentana() {
        VentanaPrueba f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        std::vector<std::string> etiquetas;
        for (int c = 0; c < 64; ++c) etiquetas.push_back("E" + std::to_string(c + 1));
        f.anadir(sintetico(256, etiquetas, 310'000));
        QList<int> todos;
        for (int c = 0; c < 64; ++c) todos << c;
        Pulso pulso;
        f->dibujarCanales(todos, 64000.0, 0.0);
        QCOMPARE(f.ui().panelTabs->count(), 1);
        QVERIFY(QTest::qWaitForWindowExposed(vista(*f.v, 0)));
        const auto s = series(*f.v);
        f.ui().panelTabs->widget(0)->grab();  // what the tab shows
        QTest::qWait(30);                     // the next ticks close the gap of that paint
        QCOMPARE(int(s.size()), 65);
        QVERIFY(pulso.ticks > 10);
        const QString huecos = QString("hueco %1 ms, trabajo %2 ms").arg(pulso.mayorHueco).arg(pulso.mayorTrabajo);
        QVERIFY2(pulso.mayorTrabajo < 100, qPrintable(huecos));
        qInfo("%s", qPrintable(huecos));
        QCOMPARE(f.mensajes, QStringList());
    }

    void elGraficoSeDibujaDeVerdad() {
        // Two sine channels and one event marker in a 600-pixel-wide view; each
        // line's colour must appear inside the plot area (the legend lies outside).
        EEG e = sintetico(200, {"Fz", "Cz"}, 600);
        const arma::rowvec s = arma::regspace<arma::rowvec>(0, 599);
        e.matrices[0].row(0) = 5.0 * arma::sin(s / 30.0) + 5.0;
        e.matrices[0].row(1) = 5.0 * arma::cos(s / 45.0) - 5.0;
        std::srand(11);
        e.tablaEventos = std::make_shared<TablaEventos>();
        fijarEvento(*e.tablaEventos, Evento{768, 300, 1}, 0);
        e.tablaEventos->numeroEventos = 1;

        VentanaPrueba f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.v.get()));
        f.anadir(e);
        f->dibujarCanales({0, 1}, 12.0, -12.0);
        QChartView* w = vista(*f.v, 0);
        tramos(*f.v);
        QTest::qWait(50);
        const QImage imagen = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect area = areaEnVista(w).adjusted(3, 3, -3, -3).intersected(imagen.rect());
        for (QLineSeries* l : series(*f.v)) {
            const QColor c = l->pen().color();
            QVERIFY2(765 - c.red() - c.green() - c.blue() > 90, "color casi blanco; cambie la semilla");
            const int n = pixelesDelColor(imagen, area, c);
            QVERIFY2(n >= (l->count() > 2 ? 200 : 20), qPrintable(l->name() + ": " + QString::number(n)));
        }
    }
};

QTEST_MAIN(PruebaGrafico)
#include "grafico_test.moc"
