#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include "app/interaccion.h"
#include "tests/app/graficoPrueba.h"
#include "ui_GuiElegirCanalesDibujar.h"

using namespace QtCharts;
using namespace prueba;

class PruebaGrafico : public QObject {
    Q_OBJECT

    QStringList mensajes;

    // Pixels of the rectangle that are the colour c blended with the white
    // background (antialiased lines cover pixels partly): 255 - pixel is then
    // a multiple of 255 - c, the same fraction on all three components.
    static int pixelesDelColor(const QImage& imagen, const QRect& area, const QColor& c) {
        const double d[3] = {255.0 - c.red(), 255.0 - c.green(), 255.0 - c.blue()};
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb p = imagen.pixel(x, y);
                const double q[3] = {255.0 - qRed(p), 255.0 - qGreen(p), 255.0 - qBlue(p)};
                const double mayor = std::max({d[0], d[1], d[2]});
                int k = d[0] == mayor ? 0 : (d[1] == mayor ? 1 : 2);
                const double fraccion = q[k] / d[k];
                if (fraccion < 0.5 || fraccion > 1.05) continue;
                bool igual = true;
                for (int j = 0; j < 3; ++j) igual = igual && std::abs(q[j] - fraccion * d[j]) <= 14.0;
                if (igual) ++n;
            }
        }
        return n;
    }

private slots:
    void init() {
        mensajes.clear();
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }
    void cleanup() {
        interaccion::fijarRespondedorMensaje({});
        cerrarVentanasSueltas(nullptr);
    }

    void elFormularioDelSelector() {
        GuiElegirCanalesDibujar g;
        QCOMPARE(g.objectName(), QString("GuiElegirCanalesDibujar"));
        QCOMPARE(g.size(), QSize(407, 416));
        QCOMPARE(g.windowTitle(), QString("Form"));
        QCOMPARE(g.ui->label->text(), QString("Eventos disponibles:"));
        QCOMPARE(g.ui->label_2->text(), QString("Valor máximo del plot"));
        QCOMPARE(g.ui->label_3->text(), QString("valor mínimo del plot"));
        QCOMPARE(g.ui->aceptar->text(), QString("aceptar"));
        QCOMPARE(g.ui->listWidget->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(g.ui->maxAmpPlot->decimals(), 5);
        QCOMPARE(g.ui->maxAmpPlot->minimum(), -1e26);
        QCOMPARE(g.ui->maxAmpPlot->maximum(), 1e19);
        QCOMPARE(g.ui->maxAmpPlot->singleStep(), 0.001);
        QCOMPARE(g.ui->maxAmpPlot->value(), 1.0);
        QCOMPARE(g.ui->minAmpPlot->decimals(), 5);
        QCOMPARE(g.ui->minAmpPlot->minimum(), -1e33);
        QCOMPARE(g.ui->minAmpPlot->maximum(), 1e23);
        QCOMPARE(g.ui->minAmpPlot->singleStep(), 0.001);
        QCOMPARE(g.ui->minAmpPlot->value(), 1.0);
        QVERIFY(g.ui->frame->findChild<QFrame*>("horizontalFrame_2"));
        QVERIFY(g.ui->frame->findChild<QFrame*>("horizontalFrame"));
    }

    void elSelectorListaLosCanalesSinElegirNinguno() {
        Ondelar v;
        // A GDF label keeps its 16-byte field's padding; the list shows it without.
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz", "Cz", std::string("P3  \0\0\0\0", 8)}, 10)));
        v.graficoDibujar();
        QCOMPARE(v.ui->labelDatos->text(), QString("triger dibujar"));
        const auto sel = selectores();
        QCOMPARE(int(sel.size()), 1);
        QVERIFY(sel[0]->isVisible());
        QCOMPARE(sel[0]->windowModality(), Qt::NonModal);
        QListWidget* lista = sel[0]->ui->listWidget;
        QCOMPARE(lista->count(), 3);
        QCOMPARE(lista->item(0)->text(), QString("can 1 - Fz"));
        QCOMPARE(lista->item(2)->text(), QString("can 3 - P3"));
        QVERIFY(lista->selectedItems().isEmpty());
        QVERIFY(mensajes.isEmpty());
        cerrarVentanasSueltas(&v);
        QVERIFY(selectores().empty());
    }

    void cadaUsoAbreOtroSelector() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz"}, 10)));
        v.graficoDibujar();
        v.graficoDibujar();
        QCOMPARE(int(selectores().size()), 2);
        cerrarVentanasSueltas(&v);
    }

    void sinNadaCargadoFallaConSuMensaje() {
        Ondelar v;
        v.graficoDibujar();
        QCOMPARE(mensajes, QStringList{"Fallo en los datos, revise que en el EEG seleccionado hay datos"});
        QVERIFY(selectores().empty());
    }

    void frecuenciaCeroSeRechazaSinDibujar() {
        Ondelar v;
        EEG e = eegSintetico(256, {"Fz"}, 10);
        e.frecuenciaMuestreo = 0;
        v.anadirArchivo(clonarEEG(e));
        v.graficoDibujar();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes[0].contains("frecuencia de muestreo es 0 Hz"));
        QVERIFY(selectores().empty());
        v.dibujarCanales({0}, 1.0, 0.0);
        QCOMPARE(mensajes.size(), 2);
        QCOMPARE(v.ui->panelTabs->count(), 0);
    }

    void elegirCanalesFijaElRangoSugerido() {
        // Rows 1 and 3 (can 1, can 3) hold values between -40.5 and 62.25;
        // row 2 holds larger ones and is not chosen.
        EEG e = eegSintetico(256, {"Fz", "Cz", "P3"}, 4);
        e.matrices[0] = arma::mat{{1.0, 62.25, 0.0, 3.0}, {500.0, -500.0, 0.0, 0.0}, {-40.5, 2.0, 7.5, 0.0}};
        Ondelar v;
        v.anadirArchivo(clonarEEG(e));
        v.graficoDibujar();
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarCanal(g, 0);
        pulsarCanal(g, 2);
        QCOMPARE(g->canales(), (QList<int>{0, 2}));
        QCOMPARE(g->ui->maxAmpPlot->value(), 62.25);
        QCOMPARE(g->ui->minAmpPlot->value(), -40.5);
        pulsarCanal(g, 0);
        QCOMPARE(g->canales(), (QList<int>{2}));
        QCOMPARE(g->ui->maxAmpPlot->value(), 7.5);
        QCOMPARE(g->ui->minAmpPlot->value(), -40.5);
        pulsarCanal(g, 0);
        QCOMPARE(g->canales(), (QList<int>{0, 2}));
        g->ui->listWidget->clearSelection();  // both deselected at once
        QVERIFY(g->canales().isEmpty());
        QCOMPARE(g->ui->maxAmpPlot->value(), 62.25);
        QCOMPARE(g->ui->minAmpPlot->value(), -40.5);
        QVERIFY(mensajes.isEmpty());
        cerrarVentanasSueltas(&v);
    }

    void aceptarSinCanalesSoloCierra() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz"}, 10)));
        v.graficoDibujar();
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QVERIFY(!g->isVisible());
        QCOMPARE(v.ui->panelTabs->count(), 0);
        QVERIFY(mensajes.isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(selectores().empty());
    }

    void aceptarDibujaLosCanalesElegidos() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz", "Cz"}, 300)));
        v.graficoDibujar();
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarCanal(g, 1);
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QVERIFY(!g->isVisible());
        QCOMPARE(v.ui->panelTabs->count(), 1);
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2);
        QCOMPARE(series[0]->name(), QString("Cz"));
        QCOMPARE(series[1]->name(), QString("Evento"));
        // The vertical axis is the suggested range: can 2 holds 1000 .. 1299.
        auto* ejeY = qobject_cast<QValueAxis*>(vistaDeLaPestana(v, 0)->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(ejeY);
        QCOMPARE(ejeY->min(), 1000.0);
        QCOMPARE(ejeY->max(), 1299.0);
        cerrarVentanasSueltas(&v);
    }

    void aceptarTrasCerrarseLaVentanaPrincipalNoFalla() {
        // The chooser is a window of its own and may outlive the main window.
        auto v = std::make_unique<Ondelar>();
        v->anadirArchivo(clonarEEG(eegSintetico(256, {"Fz"}, 10)));
        v->graficoDibujar();
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarCanal(g, 0);
        v.reset();
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QVERIFY(!g->isVisible());
        QVERIFY(mensajes.isEmpty());
    }

    void ramaDatSinEventos() {
        // 1000 samples at 256 Hz, no event table.
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz", "Cz"}, 1000)));
        std::srand(3);
        const int azul = std::rand() % 255, verde = std::rand() % 255, rojo = std::rand() % 255;
        std::srand(3);
        v.dibujarCanales({0}, 62.25, -40.5);
        QVERIFY(mensajes.isEmpty());
        QCOMPARE(v.ui->panelTabs->count(), 1);
        QCOMPARE(v.ui->panelTabs->tabText(0), QString("eeg 1-1"));
        QCOMPARE(v.ui->panelTabs->currentIndex(), 0);

        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2);
        QLineSeries* canal = series[0];
        QCOMPARE(canal->name(), QString("Fz"));
        QCOMPARE(canal->count(), 1000);
        QCOMPARE(canal->at(0), QPointF(0.0, 0.0));
        QCOMPARE(canal->at(1).x(), 1.0 / 256);
        QCOMPARE(canal->at(999), QPointF(999.0 / 256, 999.0));
        QCOMPARE(canal->pen().width(), 1);
        QCOMPARE(canal->pen().color(), QColor(rojo, verde, azul, 255));

        QLineSeries* marca = series[1];
        QCOMPARE(marca->name(), QString("Evento"));
        QCOMPARE(marca->count(), 2);
        QCOMPARE(marca->at(0), QPointF(0.0, -40.5));
        QCOMPARE(marca->at(1), QPointF(0.0, 62.25));
        QCOMPARE(marca->pen().color(), QColor(0, 0, 0, 255));

        QChartView* vista = vistaDeLaPestana(v, 0);
        QChart* grafico = vista->chart();
        auto* ejeX = qobject_cast<QValueAxis*>(grafico->axes(Qt::Horizontal).value(0));
        auto* ejeY = qobject_cast<QValueAxis*>(grafico->axes(Qt::Vertical).value(0));
        QVERIFY(ejeX && ejeY);
        QCOMPARE(ejeX->min(), 0.0);
        QCOMPARE(ejeX->max(), 3.0);
        QCOMPARE(ejeY->min(), -40.5);
        QCOMPARE(ejeY->max(), 62.25);
        QVERIFY(grafico->legend()->isVisible());
        QCOMPARE(grafico->legend()->alignment(), Qt::AlignBottom);

        QCOMPARE(vista->width(), 1000);
        QCOMPARE(vista->height(), int(0.9 * v.ui->panelTabs->height()));
        QVERIFY(vista->renderHints().testFlag(QPainter::Antialiasing));
        QCOMPARE(vista->rubberBand(), QChartView::HorizontalRubberBand);
        auto* desplazable = qobject_cast<QScrollArea*>(v.ui->panelTabs->widget(0));
        QVERIFY(!desplazable->widgetResizable());
    }

    void ramaPromediadaEmpiezaAntesDelEvento() {
        // An averaged branch: no events, start time 0.2 s, 512 samples at 256 Hz.
        EEG e = eegSintetico(256, {"Pz"}, 512);
        e.tiempoInicio = 0.2;
        e.historia = " Promediado";
        Ondelar v;
        v.anadirArchivo(clonarEEG(e));
        v.dibujarCanales({0}, 1.0, -1.0);
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2);
        QCOMPARE(series[0]->at(0).x(), -0.2);
        QCOMPARE(series[0]->at(511).x(), 511.0 / 256 - 0.2);
        QCOMPARE(series[1]->name(), QString("Evento"));
        QCOMPARE(series[1]->at(0).x(), 0.0);
        QCOMPARE(series[1]->at(1).x(), 0.0);
        auto* ejeX = qobject_cast<QValueAxis*>(vistaDeLaPestana(v, 0)->chart()->axes(Qt::Horizontal).value(0));
        QCOMPARE(ejeX->min(), -0.2);
        QCOMPARE(ejeX->max(), 2.0 - 0.2);
    }

    void eventosConUnaEntradaDeLeyendaPorTipo() {
        // 40 events of two kinds: 40 markers in their kinds' colours, but the
        // legend lists the two channels and one entry per kind.
        EEG e = eegSintetico(256, {"Fz", "Cz"}, 2000);
        e.tablaEventos = std::make_shared<TablaEventos>();
        e.tablaEventos->modo = 1;
        for (int i = 0; i < 40; ++i) {
            const bool par = i % 2 == 0;
            fijarEvento(*e.tablaEventos, evento(par ? 768 : 769, 40 * i, 0, 0, 0), i);
        }
        e.tablaEventos->numeroEventos = 40;
        // Give the two kinds known colours, as a reader would have drawn them.
        for (Evento& ev : e.tablaEventos->eventos) {
            ev.rojo = ev.tipo == 768 ? 200 : 5;
            ev.verde = ev.tipo == 768 ? 10 : 150;
            ev.azul = ev.tipo == 768 ? 20 : 30;
        }
        e.tiempoInicio = 0.5;  // ignored when the branch has events
        Ondelar v;
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        (*e.canales)[1].etiqueta = std::string("Cz              ", 16);  // padded as in a GDF header
        v.anadirArchivo(clonarEEG(e));
        v.dibujarCanales({1, 0}, 10.0, -10.0);
        QCoreApplication::processEvents();
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2 + 40);
        QCOMPARE(series[0]->name(), QString("Cz"));
        QCOMPARE(series[1]->name(), QString("Fz"));
        QCOMPARE(series[0]->at(0).x(), 0.0);
        const QChart* grafico = vistaDeLaPestana(v, 0)->chart();
        for (int i = 0; i < 40; ++i) {
            QLineSeries* s = series[static_cast<std::size_t>(2 + i)];
            const bool par = i % 2 == 0;
            QCOMPARE(s->name(), par ? QString("768.1") : QString("769.1"));
            QCOMPARE(s->pen().color(), par ? QColor(200, 10, 20) : QColor(5, 150, 30));
            QCOMPARE(s->at(0), QPointF(40.0 * i / 256, -10.0));
            QCOMPARE(s->at(1), QPointF(40.0 * i / 256, 10.0));
            QVERIFY(s->isVisible());
            const auto marcas = grafico->legend()->markers(s);
            QCOMPARE(marcas.size(), 1);
            QCOMPARE(marcas[0]->isVisible(), i < 2);
        }
        int visibles = 0;
        for (QLegendMarker* m : grafico->legend()->markers())
            if (m->isVisible()) ++visibles;
        QCOMPARE(visibles, 2 + 2);
    }

    void canalesQueLaRamaNoTieneSeOmiten() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz", "Cz"}, 300)));
        v.dibujarCanales({0, 5, -1}, 1.0, 0.0);
        QVERIFY(mensajes.isEmpty());
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2);
        QCOMPARE(series[0]->name(), QString("Fz"));

        v.dibujarCanales({7}, 1.0, 0.0);
        QCOMPARE(mensajes.size(), 1);
        QCOMPARE(v.ui->panelTabs->count(), 1);
    }

    void elGraficoSigueALaRamaSeleccionadaAlAceptar() {
        // The chooser opened on recording 1; the plot draws recording 2, selected when "aceptar" is pressed.
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz", "Cz", "P3"}, 300)));
        v.graficoDibujar();
        v.anadirArchivo(clonarEEG(eegSintetico(128, {"Oz"}, 200)));
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(g));
        pulsarCanal(g, 0);
        pulsarCanal(g, 2);
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCOMPARE(v.ui->panelTabs->tabText(0), QString("eeg 2-1"));
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 2);
        QCOMPARE(series[0]->name(), QString("Oz"));
        QCOMPARE(series[0]->at(1).x(), 1.0 / 128);
        cerrarVentanasSueltas(&v);
    }

    void elGraficoSeDibujaDeVerdad() {
        // Two sine channels and one event marker in a 600-pixel-wide view,
        // rendered by the offscreen platform; each line's colour must appear
        // inside the plot area (the legend's swatches lie outside it).
        EEG e = eegSintetico(200, {"Fz", "Cz"}, 600);
        for (int s = 0; s < 600; ++s) {
            e.matrices[0](0, s) = 5.0 * std::sin(s / 30.0) + 5.0;
            e.matrices[0](1, s) = 5.0 * std::cos(s / 45.0) - 5.0;
        }
        e.tablaEventos = std::make_shared<TablaEventos>();
        e.tablaEventos->modo = 1;
        e.tablaEventos->eventos = {evento(768, 300, 230, 120, 0)};
        e.tablaEventos->numeroEventos = 1;
        e.tablaEventos->tipos = e.tablaEventos->eventos;
        e.tablaEventos->numeroTipos = 1;

        Ondelar v;
        v.resize(929, 477);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        std::srand(11);
        v.anadirArchivo(clonarEEG(e));
        v.dibujarCanales({0, 1}, 12.0, -12.0);
        QChartView* vista = vistaDeLaPestana(v, 0);
        QVERIFY(vista);
        QTest::qWait(50);
        const QImage imagen = vista->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(imagen.width(), 600);
        QChart* grafico = vista->chart();
        const QRect area = vista->mapFromScene(grafico->mapToScene(grafico->plotArea())).boundingRect()
                               .adjusted(3, 3, -3, -3)
                               .intersected(imagen.rect());
        QVERIFY(area.width() > 400 && area.height() > 50);

        for (QLineSeries* serie : seriesDeLaPestana(v, 0)) {
            const QColor c = serie->pen().color();
            const int tinte = (255 - c.red()) + (255 - c.green()) + (255 - c.blue());
            QVERIFY2(tinte > 90, "el color sorteado es casi blanco; cambie la semilla");
            const int n = pixelesDelColor(imagen, area, c);
            const int minimo = serie->count() > 2 ? 200 : 20;  // a line across vs. one vertical marker
            QVERIFY2(n >= minimo, qPrintable(serie->name() + ": " + QString::number(n) + " pixeles de " + c.name()));
        }
    }

    void dosGraficosDeLaMismaRamaDanDosPestanas() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegSintetico(256, {"Fz"}, 300)));
        v.anadirRama(clonarEEG(eegSintetico(256, {"Fz"}, 300)));
        v.dibujarCanales({0}, 1.0, 0.0);
        v.dibujarCanales({0}, 1.0, 0.0);
        QCOMPARE(v.ui->panelTabs->count(), 2);
        QCOMPARE(v.ui->panelTabs->tabText(0), QString("eeg 1-2"));
        QCOMPARE(v.ui->panelTabs->tabText(1), QString("eeg 1-2"));
        QCOMPARE(v.ui->panelTabs->currentIndex(), 0);
    }
};

QTEST_MAIN(PruebaGrafico)
#include "grafico_test.moc"
