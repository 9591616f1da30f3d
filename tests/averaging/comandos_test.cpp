#include <QtTest>

#include <memory>

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

#include "app/Ondelar.h"
#include "app/almacenEEG.h"
#include "app/interaccion.h"
#include "averaging/GuiEventosPromediado.h"
#include "eegSintetico.h"
#include "ui_GuiEventosPromediado.h"
#include "ui_Ondelar.h"

using prueba::anadirEvento;
using prueba::DirectorioTemporal;
using prueba::eegRampa;

namespace {

// Three kinds (768.1, 769.1, 770.1) interleaved, 250 Hz, 2 channels, 2000 samples.
EEG eegConTresTipos() {
    EEG eeg = eegRampa(250, 2, 2000);
    anadirEvento(eeg, 768, 500);
    anadirEvento(eeg, 769, 700);
    anadirEvento(eeg, 768, 900);
    anadirEvento(eeg, 770, 1100);
    anadirEvento(eeg, 769, 1300);
    return eeg;
}

GuiEventosPromediado* dialogoAbierto() {
    GuiEventosPromediado* encontrado = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<GuiEventosPromediado*>(w); d && d->isVisible()) encontrado = d;
    return encontrado;
}

}  // namespace

class PruebaComandosPromediado : public QObject {
    Q_OBJECT

    QStringList mensajes;
    std::unique_ptr<DirectorioTemporal> directorio;
    QString directorioPrevio;

    QStringList archivosCubo() const {
        QStringList r;
        for (const auto& p : directorio->archivos()) r << QString::fromStdString(p.filename().string());
        return r;
    }

private slots:
    void init() {
        mensajes.clear();
        interaccion::fijarRespondedorMensaje([this](const QString& t) { mensajes << t; });
        // Cube files go to the current directory: keep them out of the repository.
        directorio = std::make_unique<DirectorioTemporal>();
        directorioPrevio = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(directorio->ruta().string()));
    }

    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<GuiEventosPromediado*>(w)) delete w;
        QDir::setCurrent(directorioPrevio);
        directorio.reset();
        interaccion::fijarRespondedorMensaje({});
    }

    void formularioDelDialogo() {
        GuiEventosPromediado d(nullptr);
        QCOMPARE(d.windowTitle(), QString("GuiEventosPromediado"));
        QCOMPARE(d.size(), QSize(371, 287));
        QVERIFY(!d.isModal());
        auto* grid = d.findChild<QGridLayout*>("gridLayout");
        QVERIFY(grid);
        QCOMPARE(grid->spacing(), 6);
        QCOMPARE(grid->contentsMargins(), QMargins(11, 11, 11, 11));
        auto* frame = d.findChild<QFrame*>("frame");
        auto* frame2 = d.findChild<QFrame*>("frame_2");
        QVERIFY(frame && frame2);
        QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
        QCOMPARE(frame->frameShadow(), QFrame::Raised);
        QCOMPARE(frame2->frameShape(), QFrame::StyledPanel);
        QCOMPARE(frame2->frameShadow(), QFrame::Raised);
        QCOMPARE(grid->itemAtPosition(0, 0)->widget(), frame);
        QCOMPARE(grid->itemAtPosition(0, 1)->widget(), frame2);
        QCOMPARE(grid->itemAtPosition(1, 1)->widget(), d.ui->aceptar);
        auto* v1 = d.findChild<QVBoxLayout*>("verticalLayout");
        auto* v2 = d.findChild<QVBoxLayout*>("verticalLayout_2");
        QVERIFY(v1 && v2);
        QCOMPARE(v1->spacing(), 6);
        QCOMPARE(v2->contentsMargins(), QMargins(11, 11, 11, 11));
        QCOMPARE(v1->itemAt(0)->widget(), d.ui->label);
        QCOMPARE(v1->itemAt(1)->widget(), d.ui->listWidget);
        QCOMPARE(v2->itemAt(0)->widget(), d.ui->label_2);
        QCOMPARE(v2->itemAt(1)->widget(), d.ui->msPrev);
        QCOMPARE(v2->itemAt(2)->widget(), d.ui->label_3);
        QCOMPARE(v2->itemAt(3)->widget(), d.ui->msPost);
        QCOMPARE(d.ui->label->text(), QString("Eventos disponibles:"));
        QCOMPARE(d.ui->label_2->text(), QString("milisegundos previos"));
        QCOMPARE(d.ui->label_3->text(), QString("milisegundos posteriores"));
        QCOMPARE(d.ui->aceptar->text(), QString("aceptar"));
        QCOMPARE(d.ui->msPrev->minimum(), 0);
        QCOMPARE(d.ui->msPrev->maximum(), 15000);
        QCOMPARE(d.ui->msPrev->singleStep(), 100);
        QCOMPARE(d.ui->msPrev->value(), 7000);
        QCOMPARE(d.ui->msPost->minimum(), 0);
        QCOMPARE(d.ui->msPost->maximum(), 20000);
        QCOMPARE(d.ui->msPost->singleStep(), 100);
        QCOMPARE(d.ui->msPost->value(), 10000);
        QCOMPARE(d.ui->listWidget->selectionMode(), QAbstractItemView::MultiSelection);
    }

    void listaDeTiposEnOrden() {
        GuiEventosPromediado d(nullptr);
        EEG eeg = eegConTresTipos();
        anadirEvento(eeg, 768, 1500, 2);
        d.rellenarLista(*eeg.tablaEventos);
        QCOMPARE(d.ui->listWidget->count(), 4);
        QCOMPARE(d.ui->listWidget->item(0)->text(), QString("768.1"));
        QCOMPARE(d.ui->listWidget->item(1)->text(), QString("769.1"));
        QCOMPARE(d.ui->listWidget->item(2)->text(), QString("770.1"));
        QCOMPARE(d.ui->listWidget->item(3)->text(), QString("768.2"));
        // Clicking toggles an item.
        auto* lista = d.ui->listWidget;
        d.show();
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(lista->item(1)).center());
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(lista->item(3)).center());
        QCOMPARE(lista->selectedItems().size(), 2);
        QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(lista->item(1)).center());
        QCOMPARE(lista->selectedItems().size(), 1);
    }

    void sinArchivoCargadoNoAbre() {
        Ondelar v;
        v.graficoPromediado();
        QCOMPARE(mensajes, QStringList{"Fallo preparando la interfaz de Mara. Comprueba que hay datos o que los "
                                       "seleccionados son correctos"});
        QVERIFY(!dialogoAbierto());
    }

    void ramaSinEventosNoAbre() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(EEG(250, 2, 100)));
        v.graficoPromediado();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes.front().contains("no tiene eventos"));
        QVERIFY(!dialogoAbierto());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void abreNoModalConLosTipos() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.graficoPromediado();
        QVERIFY(mensajes.isEmpty());
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        QVERIFY(!d->isModal());
        QCOMPARE(d->windowModality(), Qt::NonModal);
        QVERIFY(!d->parentWidget());
        QCOMPARE(d->ui->listWidget->count(), 3);
        QCOMPARE(d->ui->listWidget->item(2)->text(), QString("770.1"));
    }

    void aceptarPromediaYAnadeRama() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.graficoPromediado();
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        d->ui->listWidget->item(2)->setSelected(true);
        d->ui->listWidget->item(0)->setSelected(true);
        d->ui->msPrev->setValue(100);
        d->ui->msPost->setValue(200);
        QTest::mouseClick(d->ui->aceptar, Qt::LeftButton);
        QVERIFY(mensajes.isEmpty());
        QVERIFY(!dialogoAbierto());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 Promediado"));
        const EEG& p = v.archivosEEG.rama(0, 1);
        QCOMPARE(p.numeroMuestras, int64_t(76));
        QCOMPARE(p.tiempoInicio, 0.1);
        QVERIFY(!p.tieneEventos());
        // Kinds 768 (500, 900) and 770 (1100): epochs start at 475, 875, 1075.
        QCOMPARE(p.datos()(0, 0), (475.0 + 875.0 + 1075.0) / 3.0);
        QCOMPARE(archivosCubo().size(), 1);
        QVERIFY(archivosCubo().front().startsWith("Promediado-"));
        // The source branch is untouched.
        QVERIFY(v.archivosEEG.rama(0, 0).tieneEventos());
    }

    void ningunaFilaSeleccionada() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.aplicarPromediado({}, 100, 200);
        QCOMPARE(mensajes, QStringList{"no se ha detectado ningun evento seleccionado"});
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-1"));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void trazaEnLabelDatos() {
        // Rows 2 and 5 of six kinds, 7000 ms and 10000 ms: the 2000-sample
        // recording is far too short, so the trace stays on the label.
        EEG eeg = eegConTresTipos();
        anadirEvento(eeg, 771, 1400);
        anadirEvento(eeg, 772, 1450);
        anadirEvento(eeg, 773, 1500);
        Ondelar v;
        v.anadirArchivo(clonarEEG(eeg));
        v.aplicarPromediado({2, 5}, 7000, 10000);
        QCOMPARE(v.ui->labelDatos->text(), QString("triger promediado 2 2  7000  10000"));
        QCOMPARE(mensajes, QStringList{"Fallo en el promediado, revisa que existan datos para los tiempos elegidos."});
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QVERIFY(archivosCubo().isEmpty());
    }

    void trazaConDecimales() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(EEG(250, 2, 100)));
        v.aplicarPromediado({1}, 1234567.0, 0.5);
        QCOMPARE(v.ui->labelDatos->text(), QString("triger promediado 1 1  1.23457e+06  0.5"));
    }

    void unaMuestraDemasiadoPronto() {
        // 250 Hz, 100 ms before: an event at 24 needs column -1.
        EEG eeg = eegRampa(250, 2, 1000);
        anadirEvento(eeg, 1, 500);
        anadirEvento(eeg, 1, 24);
        Ondelar v;
        v.anadirArchivo(clonarEEG(eeg));
        v.aplicarPromediado({0}, 100, 200);
        QCOMPARE(mensajes, QStringList{"Fallo en el promediado, revisa que existan datos para los tiempos elegidos."});
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QVERIFY(archivosCubo().isEmpty());
    }

    void tipoSinEventosNoEscribeCubo() {
        // A kind listed in the table with no event of it: E = 0.
        EEG eeg = eegRampa(250, 2, 1000);
        anadirEvento(eeg, 1, 500);
        eeg.tablaEventos->tipos.push_back(Evento{2, 0, 1, 0, 0, 0, 0, 0});
        eeg.tablaEventos->numeroTipos = 2;
        Ondelar v;
        v.anadirArchivo(clonarEEG(eeg));
        v.aplicarPromediado({1}, 100, 200);
        QCOMPARE(mensajes, QStringList{"Fallo en el promediado, revisa que existan datos para los tiempos elegidos."});
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QVERIFY(archivosCubo().isEmpty());
    }

    void segundaEjecucionNoSobrescribe() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.ui->indiceProcesado->setCurrentIndex(0);
        v.aplicarPromediado({0}, 0, 100);
        v.ui->indiceProcesado->setCurrentIndex(0);
        v.aplicarPromediado({1}, 0, 100);
        QVERIFY(mensajes.isEmpty());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 3);
        // Two files, whether or not the clock ticked in between.
        QCOMPARE(archivosCubo().size(), 2);
    }

    void filasFueraDeLaRamaActual() {
        // The dialog lists recording 1's three kinds; recording 2, selected
        // before pressing "aceptar", has one.
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.graficoPromediado();
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        EEG otro = eegRampa(250, 2, 2000);
        anadirEvento(otro, 5, 1000);
        v.anadirArchivo(clonarEEG(otro));
        d->ui->listWidget->item(0)->setSelected(true);
        d->ui->listWidget->item(2)->setSelected(true);
        d->ui->msPrev->setValue(100);
        d->ui->msPost->setValue(100);
        d->onClickAceptar();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes.front().contains("no corresponden a la rama seleccionada"));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
        QCOMPARE(v.archivosEEG.numeroRamas(1), 1);
        QVERIFY(archivosCubo().isEmpty());
    }

    void ramaSinEventosAlAceptar() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.graficoPromediado();
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        v.anadirArchivo(clonarEEG(EEG(250, 2, 2000)));
        d->ui->listWidget->item(0)->setSelected(true);
        d->onClickAceptar();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes.front().contains("no tiene eventos"));
        QCOMPARE(v.archivosEEG.numeroRamas(1), 1);
    }

    void ramaPromediadaNoAbreElDialogo() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.aplicarPromediado({0}, 0, 100);
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        v.graficoPromediado();
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes.front().contains("no tiene eventos"));
        QVERIFY(!dialogoAbierto());
    }

    void dialogoCerradoSinVentana() {
        auto v = std::make_unique<Ondelar>();
        v->anadirArchivo(clonarEEG(eegConTresTipos()));
        v->graficoPromediado();
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        v.reset();
        d->ui->listWidget->item(0)->setSelected(true);
        d->onClickAceptar();  // nothing to run it on: just closes
        QVERIFY(mensajes.isEmpty());
        QVERIFY(!dialogoAbierto());
    }

    void carAnadeRama() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.lanzarCAR();
        QVERIFY(mensajes.isEmpty());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-2 CAR"));
        const EEG& car = v.archivosEEG.rama(0, 1);
        // Two channels a, b: (a - b, b - a); the ramp gives -1000 and 1000.
        QCOMPARE(car.datos()(0, 17), -1000.0);
        QCOMPARE(car.datos()(1, 17), 1000.0);
        QVERIFY(car.tieneEventos());
        QCOMPARE(car.tablaEventos->eventos.size(), size_t(5));
        QCOMPARE(car.frecuenciaMuestreo, 250);
        QCOMPARE((*car.canales)[1].etiqueta, std::string("C2"));
        QCOMPARE(v.archivosEEG.rama(0, 0).datos()(0, 17), 17.0);
    }

    void carDeUnCanalFalla() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(EEG(250, 1, 100)));
        v.lanzarCAR();
        QCOMPARE(mensajes, QStringList{"Problema con CAR. Revisa el EEG seleccionado"});
        QCOMPARE(v.ui->labelDatos->text(), QString("triger CAR"));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 1);
    }

    void carSinArchivoFalla() {
        Ondelar v;
        v.lanzarCAR();
        QCOMPARE(mensajes, QStringList{"Problema con CAR. Revisa el EEG seleccionado"});
        QCOMPARE(v.archivosEEG.numeroArchivos(), 0);
    }

    void promediadoTrasCAR() {
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        v.lanzarCAR();
        v.graficoPromediado();
        GuiEventosPromediado* d = dialogoAbierto();
        QVERIFY(d);
        d->ui->listWidget->item(1)->setSelected(true);
        d->ui->msPrev->setValue(100);
        d->ui->msPost->setValue(100);
        d->onClickAceptar();
        QVERIFY(mensajes.isEmpty());
        QCOMPARE(v.archivosEEG.numeroRamas(0), 3);
        QCOMPARE(v.ui->labelDatos->text(), QString("eeg 1-3 CAR Promediado"));
        QCOMPARE(v.archivosEEG.rama(0, 2).historia, std::string(" CAR Promediado"));
        QCOMPARE(v.archivosEEG.rama(0, 2).datos()(0, 0), -1000.0);
    }

    void cuboNoGuardadoSeAvisa() {
        // /proc takes no new files, not even from root: the average is still
        // stored, and the user learns that its epochs were not saved.
        Ondelar v;
        v.anadirArchivo(clonarEEG(eegConTresTipos()));
        QVERIFY(QDir::setCurrent("/proc"));
        v.aplicarPromediado({0}, 0, 100);
        QDir::setCurrent(QString::fromStdString(directorio->ruta().string()));
        QCOMPARE(mensajes.size(), 1);
        QVERIFY(mensajes.front().contains("no se pudo guardar el archivo con las épocas"));
        QCOMPARE(v.archivosEEG.numeroRamas(0), 2);
    }
};

QTEST_MAIN(PruebaComandosPromediado)
#include "comandos_test.moc"
