#include <QtCharts/QLegendMarker>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include "app/interaccion.h"
#include "io/cargarRegistro.h"
#include "tests/app/graficoPrueba.h"

using namespace QtCharts;
using namespace prueba;

// The P300 sample recording as GDF: 8 channels, 56840 samples at 256 Hz and
// 720 events of 12 kinds (types 1..12, 60 each); the file's event table
// starts with type 6 at 1-based position 2313, that is column 2312.
class PruebaGraficoGdf : public QObject {
    Q_OBJECT

    QStringList mensajes;

private slots:
    void init() {
        mensajes.clear();
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
    }
    void cleanup() {
        interaccion::fijarRespondedorMensaje({});
        cerrarVentanasSueltas(nullptr);
    }

    void todosLosCanalesYUnMarcadorPorEvento() {
        const EEG leido = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf");
        QVERIFY(leido.tieneEventos());
        QCOMPARE(leido.tablaEventos->numeroEventos, 720);

        Ondelar v;
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.anadirArchivo(clonarEEG(leido));

        // Through the chooser, as the user does: every channel.
        v.graficoDibujar();
        GuiElegirCanalesDibujar* g = selectores().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(g));
        QCOMPARE(g->ui->listWidget->count(), 8);
        QCOMPARE(g->ui->listWidget->item(0)->text(), QString("can 1 - Fz"));
        QCOMPARE(g->ui->listWidget->item(7)->text(), QString("can 8 - PO8"));
        for (int c = 0; c < 8; ++c) pulsarCanal(g, c);
        const double maximo = leido.datos().max();
        const double minimo = leido.datos().min();
        QCOMPARE(g->ui->maxAmpPlot->value(), maximo);
        QCOMPARE(g->ui->minAmpPlot->value(), minimo);
        QTest::mouseClick(g->ui->aceptar, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(mensajes.isEmpty());

        QCOMPARE(v.ui->panelTabs->count(), 1);
        QCOMPARE(v.ui->panelTabs->tabText(0), QString("eeg 1-1"));
        const auto series = seriesDeLaPestana(v, 0);
        QCOMPARE(int(series.size()), 8 + 720);
        const char* etiquetas[] = {"Fz", "Cz", "P3", "Pz", "P4", "PO7", "Oz", "PO8"};
        for (int c = 0; c < 8; ++c) {
            QCOMPARE(series[static_cast<std::size_t>(c)]->name(), QString(etiquetas[c]));
            QCOMPARE(series[static_cast<std::size_t>(c)]->count(), 56840);
        }
        QCOMPARE(series[2]->at(1000), QPointF(1000.0 / 256, leido.datos()(2, 1000)));

        const TablaEventos& tabla = *leido.tablaEventos;
        for (int i = 0; i < 720; ++i) {
            const Evento& e = tabla.eventos[static_cast<std::size_t>(i)];
            QLineSeries* s = series[static_cast<std::size_t>(8 + i)];
            QCOMPARE(s->name(), QString::number(e.tipo) + "." + QString::number(e.calificador));
            QColor colorTipo;
            for (const Evento& k : tabla.tipos)
                if (k.tipo == e.tipo && k.calificador == e.calificador) colorTipo = QColor(k.rojo, k.verde, k.azul);
            QCOMPARE(s->pen().color(), colorTipo);
            QCOMPARE(s->at(0), QPointF(double(e.posicion) / 256, minimo));
            QCOMPARE(s->at(1), QPointF(double(e.posicion) / 256, maximo));
        }
        QCOMPARE(series[8]->name(), QString("6.1"));
        QCOMPARE(series[8]->at(0).x(), 2312.0 / 256);

        QChart* grafico = vistaDeLaPestana(v, 0)->chart();
        int visibles = 0;
        for (QLegendMarker* m : grafico->legend()->markers())
            if (m->isVisible()) ++visibles;
        QCOMPARE(visibles, 8 + 12);
        auto* ejeX = qobject_cast<QValueAxis*>(grafico->axes(Qt::Horizontal).value(0));
        auto* ejeY = qobject_cast<QValueAxis*>(grafico->axes(Qt::Vertical).value(0));
        QCOMPARE(ejeX->min(), 0.0);
        QCOMPARE(ejeX->max(), 222.0);  // 56840 / 256 = 222.03
        QCOMPARE(ejeY->min(), minimo);
        QCOMPARE(ejeY->max(), maximo);
        QCOMPARE(vistaDeLaPestana(v, 0)->width(), 56840);
    }
};

QTEST_MAIN(PruebaGraficoGdf)
#include "grafico_gdf_test.moc"
