#include "app/Ondelar.h"

#include <QTextEdit>

#include "ui_Ondelar.h"

namespace {
// The components the program is built on and their licences, one paragraph each.
const char* const parrafosLicencias[] = {
    "Ondelar es un banco de trabajo para el preprocesado de registros de electroencefalografía (EEG). "
    "Se apoya en los componentes de terceros que se citan a continuación, cada uno distribuido con su "
    "propia licencia.",
    "Qt 5 (Qt Core, Qt Gui y Qt Widgets), de The Qt Company y la comunidad del proyecto Qt: la interfaz "
    "gráfica del programa. Licencia GNU Lesser General Public License, versión 3 (LGPL v3).",
    "Qt Charts, módulo de gráficos de Qt 5, en la versión distribuida por Debian: dibuja las señales y "
    "los eventos. Licencia GNU General Public License, versión 3 (GPL v3).",
    "Armadillo, biblioteca de álgebra lineal en C++ (Conrad Sanderson, Ryan Curtin y colaboradores): "
    "matrices, estadística, descomposiciones y FFT. Licencia Apache, versión 2.0.",
    "OpenBLAS, implementación optimizada de BLAS y LAPACK sobre la que calcula Armadillo. "
    "Licencia BSD de 3 cláusulas.",
    "Boost.Math, de las bibliotecas Boost de C++: funciones especiales como la gamma incompleta y su "
    "inversa. Licencia Boost Software License, versión 1.0.",
    "Los textos completos de estas licencias acompañan a cada componente en su distribución (en Debian, "
    "en /usr/share/doc/<paquete>/copyright).",
};
}  // namespace

void Ondelar::popUpLicenciasAtribuciones() {
    ui->labelDatos->setText(QStringLiteral("licenciasAtribuciones"));
    auto* texto = new QTextEdit();
    texto->setWindowFlag(Qt::Window);
    texto->setReadOnly(true);
    texto->setWindowModality(Qt::ApplicationModal);
    texto->setAttribute(Qt::WA_DeleteOnClose);
    for (const char* parrafo : parrafosLicencias) texto->append(QString::fromUtf8(parrafo));
    texto->show();
}
