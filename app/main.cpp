#include <QApplication>

#include "app/Ondelar.h"
#include "dsp/hilosBLAS.h"
#include "app/traducciones.h"

int main(int argc, char* argv[]) {
    fijarHilosBLASDelPrograma();  // the runner's count, and a core for this thread
    QApplication aplicacion(argc, argv);
    instalarTraduccionesQt(aplicacion);  // without them Qt's buttons stay in English
    int codigo = 0;
    {
        Ondelar ventana;
        ventana.show();
        codigo = aplicacion.exec();
    }
    return codigo;
}
