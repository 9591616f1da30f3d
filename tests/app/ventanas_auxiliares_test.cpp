#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QTextEdit>
#include <QtTest>

#include "app/Ondelar.h"
#include "app/ventanaEmergente.h"
#include "ui_Ondelar.h"
#include "ui_ventanaEmergente.h"

namespace {
template <class T>
QList<T*> ventanas() {
    QList<T*> r;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) r << t;
    return r;
}

void cerrarTodas() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

class PruebaVentanasAuxiliares : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { cerrarTodas(); }

    void elFormularioDeVentanaEmergente() {
        ventanaEmergente w;
        QCOMPARE(w.objectName(), QString("ventanaEmergente"));
        QCOMPARE(w.windowTitle(), QString("ventanaEmergente"));
        QCOMPARE(w.size(), QSize(460, 246));
        QGridLayout* rejilla = w.ui->gridLayout;
        QVERIFY(rejilla);
        QCOMPARE(rejilla->objectName(), QString("gridLayout"));
        QCOMPARE(rejilla->spacing(), 6);
        QCOMPARE(rejilla->contentsMargins(), QMargins(11, 11, 11, 11));
        QCOMPARE(rejilla->count(), 0);
        QCOMPARE(w.layout(), rejilla);
    }

    void analisisFrecuencialAbreVentanasNoModales() {
        Ondelar v;
        v.show();
        v.lanzarAnalisisFrecuencial();
        QCOMPARE(v.ui->labelDatos->text(), QString("triger analisis"));
        v.lanzarAnalisisFrecuencial();
        const auto abiertas = ventanas<ventanaEmergente>();
        QCOMPARE(abiertas.size(), 2);
        for (ventanaEmergente* w : abiertas) {
            QCOMPARE(w->windowTitle(), QString("ventanaEmergente"));
            QCOMPARE(w->windowModality(), Qt::NonModal);
            QVERIFY(!w->parentWidget());
        }
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(v.isEnabled());
        // Closing releases the window: nothing is kept for a window never shown again.
        cerrarTodas();
        QVERIFY(ventanas<ventanaEmergente>().isEmpty());
    }

    void licenciasEnUnaVentanaModalDeSoloLectura() {
        Ondelar v;
        v.show();
        v.popUpLicenciasAtribuciones();
        QCOMPARE(v.ui->labelDatos->text(), QString("licenciasAtribuciones"));
        const auto abiertas = ventanas<QTextEdit>();
        QCOMPARE(abiertas.size(), 1);
        QTextEdit* texto = abiertas[0];
        QVERIFY(texto->isWindow());
        QVERIFY(!texto->parentWidget());
        QVERIFY(texto->isReadOnly());
        QCOMPARE(texto->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), texto);

        const QString contenido = texto->toPlainText();
        QVERIFY(texto->document()->blockCount() >= 6);  // several paragraphs
        for (const char* nombre : {"Qt 5", "Qt Charts", "Armadillo", "OpenBLAS", "Boost.Math"})
            QVERIFY2(contenido.contains(QString::fromUtf8(nombre)), nombre);
        for (const char* licencia : {"LGPL v3", "GPL v3", "Apache, versión 2.0", "BSD de 3 cláusulas",
                                     "Boost Software License, versión 1.0"})
            QVERIFY2(contenido.contains(QString::fromUtf8(licencia)), licencia);
        QVERIFY(contenido.contains(QString::fromUtf8("licencia")));
        QVERIFY(!contenido.contains("aqui van a ir saliendo"));

        // Typing changes nothing.
        texto->setFocus();
        QTest::keyClicks(texto, "xyz");
        QCOMPARE(texto->toPlainText(), contenido);
        cerrarTodas();
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(PruebaVentanasAuxiliares)
#include "ventanas_auxiliares_test.moc"
