// Epochs as a researcher takes them in the window, on the P300 sample: cut,
// subtract the baseline, mark by the rules, change one mark by a click in
// the browser, apply, average per kind; and the same chain through the
// runner's steps gives the same branch.

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTableWidget>

#include "app/exploradorRegistro.h"
#include "app/panelEpocas.h"
#include "averaging/ventana/GuiEventosPromediado.h"
#include "averaging/ventana/dialogosEpocas.h"
#include "averaging/ventana/vistaERP.h"
#include "pasos/catalogoPasos.h"
#include "tests/comun/ventanaPrueba.h"
#include "ui_GuiEventosPromediado.h"

using namespace prueba;

namespace {

QAction* entrada(VentanaPrueba& f, const char* nombre) { return f->findChild<QAction*>(nombre); }

// The runner's chain on the recording as read.
EEG cadenaDelEjecutor(const EEG& registro, const std::vector<std::string>& pasos) {
    EEG r = derivarEEG(registro, registro.datos());
    AvisosPaso avisos;
    for (const std::string& p : pasos) r = interpretarPaso(p, {}).calcular(r, avisos, {});
    return r;
}

// Selects exactly the rows whose kind is one of `tipos` ("1.1").
void elegirTipos(QListWidget* lista, const QStringList& tipos) {
    for (int i = 0; i < lista->count(); ++i)
        lista->item(i)->setSelected(tipos.contains(lista->item(i)->text().section(QLatin1Char(' '), 0, 0)));
}

}  // namespace

class PruebaEpocasVentana : public QObject {
    Q_OBJECT
private slots:
    void cortarMarcarRevisarYPromediar() {
        VentanaPrueba f;
        f.cargar("p300_8ch.gdf", "p300_8ch.ced");

        // The dialog lists the kinds with their counts and proposes -200/800 ms.
        entrada(f, "cortar_epocas")->trigger();
        auto* corte = abierta<DialogoEpocas>();
        QVERIFY(corte);
        QCOMPARE(corte->lista()->count(), 12);
        QCOMPARE(corte->lista()->item(0)->text(), QStringLiteral("6.1  ×60"));
        QCOMPARE(corte->lista()->selectedItems().size(), 12);
        elegirTipos(corte->lista(), {"1.1", "2.1"});
        QCOMPARE(corte->msPrev()->value(), 200.0);
        QCOMPARE(corte->msPost()->value(), 800.0);
        // A window longer than the recording cuts nothing: the dialog stays, saying why.
        corte->msPost()->setValue(500000.0);
        QTest::mouseClick(corte->botonAceptar(), Qt::LeftButton);
        QCOMPARE(abierta<DialogoEpocas>(), corte);
        QVERIFY(!corte->mensaje()->text().isEmpty());
        QCOMPARE(f.ramas(), 1);
        corte->msPost()->setValue(800.0);
        QTest::mouseClick(corte->botonAceptar(), Qt::LeftButton);
        QVERIFY(!abierta<DialogoEpocas>());
        QCOMPARE(f.ramas(), 2);
        const std::size_t cortadas = f.rama(0, 1).epocas->numero();
        QVERIFY(f.rama(0, 1).historia.find("Epocas(" + std::to_string(cortadas) + ")") != std::string::npos);

        entrada(f, "restar_linea_base")->trigger();
        auto* base = abierta<DialogoLineaBase>();
        QVERIFY(base);
        QTest::mouseClick(base->botonAceptar(), Qt::LeftButton);
        QCOMPARE(f.ramas(), 3);

        // Marking opens the browser with the rules' marks; nothing is dropped yet.
        entrada(f, "marcar_epocas")->trigger();
        auto* marcar = abierta<DialogoRechazo>();
        QVERIFY(marcar);
        marcar->picoAPico()->setValue(190.0);
        QTest::mouseClick(marcar->botonAceptar(), Qt::LeftButton);
        QCOMPARE(f.ramas(), 3);
        auto* explorador = qobject_cast<ExploradorRegistro*>(f.ui().panelTabs->currentWidget());
        QVERIFY(explorador && explorador->revision());
        const std::vector<bool> porReglas = explorador->revision()->marcadas();
        QCOMPARE(porReglas.size(), cortadas);
        const auto marcadasReglas = std::count(porReglas.begin(), porReglas.end(), true);
        QVERIFY(marcadasReglas > 0 && std::size_t(marcadasReglas) < cortadas);
        QCOMPARE(explorador->panelEpocas()->tabla()->rowCount(), int(cortadas));

        // A click in the middle of the second epoch on the page toggles its mark.
        explorador->resize(1000, 600);
        explorador->irAEpoca(4);
        LienzoExplorador* lienzo = explorador->lienzo();
        const QRect area = lienzo->areaTrazo();
        const Exploracion& e = explorador->estado();
        const double columna = 5.5 * explorador->revision()->ancho();
        const int x = area.left() + int(pixelDeColumna(columna, e.columnaInicio(), e.muestrasPagina(), area.width()));
        QTest::mouseClick(lienzo, Qt::LeftButton, Qt::NoModifier, QPoint(x, area.center().y()));
        QCOMPARE(explorador->revision()->marcada(5), !porReglas[5]);
        QCOMPARE(explorador->panelEpocas()->tabla()->item(5, 2)->checkState(),
                 porReglas[5] ? Qt::Unchecked : Qt::Checked);
        const std::vector<bool> quitar = explorador->revision()->marcadas();
        const auto quedan = std::count(quitar.begin(), quitar.end(), false);

        QTest::mouseClick(explorador->panelEpocas()->botonAplicar(), Qt::LeftButton);
        QCOMPARE(f.ramas(), 4);
        const EEG& revisada = f.rama(0, 3);
        QCOMPARE(revisada.epocas->numero(), std::size_t(quedan));
        QVERIFY2(revisada.historia.find("Rechazo(" + std::to_string(quedan) + " de " + std::to_string(cortadas) + ")") !=
                     std::string::npos,
                 revisada.historia.c_str());

        // One mean per kind, with the epochs behind each in the history.
        f->graficoPromediado();
        auto* media = abierta<GuiEventosPromediado>();
        QVERIFY(media);
        QVERIFY(!media->ui->msPrev->isEnabled());
        elegirTipos(media->ui->listWidget, {"1.1", "2.1"});
        media->onClickAceptar();
        QCOMPARE(f.ramas(), 5);
        const EEG& promedio = f.rama(0, 4);
        QCOMPARE(promedio.epocas->numero(), std::size_t(2));
        QCOMPARE(promedio.epocas->promediadas[0] + promedio.epocas->promediadas[1], int64_t(quedan));
        QVERIFY(promedio.historia.find("Promediado(1.1: ") != std::string::npos);

        // The ERP view of the means, with two maps.
        f.ui().ver_ERP->trigger();
        auto* erp = abierta<vistaERP>();
        QVERIFY(erp);
        QVERIFY(erp->fijarLatencias({100.0, 300.0}));
        QCOMPARE(erp->latencias().size(), std::size_t(2));

        // The runner: the rules mark the same epochs, and the reviewed choice replays to the same branch.
        std::string lista;
        for (std::size_t k = 0; k < quitar.size(); ++k)
            if (quitar[k]) lista += (lista.empty() ? "" : "+") + std::to_string(k + 1);
        const EEG& registro = f.rama(0, 0);
        const EEG porEjecutor = cadenaDelEjecutor(registro, {"epocas:1.1+2.1,200,800", "linea-base:-200,0",
                                                             "rechazo:pp=190,prob=5,curt=5"});
        std::vector<int64_t> conservadasPorReglas;
        for (std::size_t k = 0; k < cortadas; ++k)
            if (!porReglas[k]) conservadasPorReglas.push_back(f.rama(0, 2).epocas->posicionesOrigen[k]);
        QCOMPARE(porEjecutor.epocas->posicionesOrigen, conservadasPorReglas);
        const EEG replica = cadenaDelEjecutor(registro, {"epocas:1.1+2.1,200,800", "linea-base:-200,0",
                                                         "quitar-epocas:" + lista, "promediado:1.1+2.1"});
        QVERIFY(arma::approx_equal(replica.datos(), promedio.datos(), "absdiff", 0.0));
    }
};

QTEST_MAIN(PruebaEpocasVentana)
#include "epocas_ventana_test.moc"
