#include <QtTest>

#include "app/Ondelar.h"
#include "ui_Ondelar.h"

class PruebaVentana : public QObject {
    Q_OBJECT
private slots:
    void tituloYTamano() {
        Ondelar v;
        QCOMPARE(v.windowTitle(), QString("Ondelar"));
    }
};

QTEST_MAIN(PruebaVentana)
#include "ventana_test.moc"
