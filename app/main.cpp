#include <QApplication>

#include "app/Ondelar.h"

int main(int argc, char* argv[]) {
    QApplication aplicacion(argc, argv);
    int codigo = 0;
    {
        Ondelar ventana;
        ventana.show();
        codigo = aplicacion.exec();
    }
    return codigo;
}
