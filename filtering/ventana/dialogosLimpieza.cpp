#include "filtering/ventana/dialogosLimpieza.h"

#include <algorithm>
#include <stdexcept>

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtCharts/QLineSeries>

#include "app/Ondelar.h"
#include "filtering/lineaElectrica.h"
#include "filtering/respuestaFiltro.h"
#include "filtering/ventana/graficoRespuesta.h"
#include "pasos/catalogoPasos.h"

DialogoRemuestreo::DialogoRemuestreo(Ondelar* principal, int frecuenciaRama)
    : DialogoPaso(QStringLiteral("Remuestrear"), principal) {
    hz_ = new QSpinBox(this);
    hz_->setObjectName(QStringLiteral("hz"));
    hz_->setRange(1, 1000000);
    hz_->setSuffix(QStringLiteral(" Hz"));
    hz_->setValue(std::min(256, std::max(1, frecuenciaRama / 2)));
    campos()->addRow(QStringLiteral("frecuencia de la rama:"), new QLabel(QString::number(frecuenciaRama) + " Hz"));
    campos()->addRow(QStringLiteral("nueva frecuencia:"), hz_);
}

Paso DialogoRemuestreo::construirPaso() const {
    return interpretarPaso("remuestreo:" + std::to_string(hz_->value()), OpcionesPasos{});
}

DialogoLinea::DialogoLinea(Ondelar* principal, int frecuenciaRama)
    : DialogoPaso(QStringLiteral("Quitar el ruido de línea"), principal), frecuenciaRama_(frecuenciaRama) {
    frecuencia_ = new QComboBox(this);
    frecuencia_->setObjectName(QStringLiteral("frecuencia"));
    frecuencia_->addItem(QStringLiteral("según el espectro (50 o 60 Hz)"), QStringLiteral("auto"));
    frecuencia_->addItem(QStringLiteral("50 Hz"), QStringLiteral("50"));
    frecuencia_->addItem(QStringLiteral("60 Hz"), QStringLiteral("60"));
    campos()->addRow(QStringLiteral("frecuencia de la red:"), frecuencia_);
    grafico_ = new GraficoRespuesta(this);
    grafico_->setMinimumSize(480, 300);
    campos()->addRow(grafico_);
    connect(frecuencia_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { actualizarRespuesta(); });
    actualizarRespuesta();
}

// "auto" draws the 50 Hz notches: the frequency is only known from the
// spectrum when the step runs, and the history then names it.
void DialogoLinea::actualizarRespuesta() {
    const QString f = frecuencia_->currentData().toString();
    const double hz = f == QStringLiteral("60") ? 60.0 : 50.0;
    try {
        grafico_->mostrar(respuestaLinea(frecuenciaRama_, hz));
        grafico_->setVisible(true);
        mensaje()->clear();
    } catch (const std::exception& e) {
        grafico_->setVisible(false);
        mensaje()->setText(QString::fromUtf8(e.what()));
    }
}

Paso DialogoLinea::construirPaso() const {
    return interpretarPaso("linea:" + frecuencia_->currentData().toString().toStdString(), OpcionesPasos{});
}

DialogoReferencia::DialogoReferencia(Ondelar* principal, const std::vector<std::string>& etiquetas)
    : DialogoPaso(QStringLiteral("Re-referenciar"), principal) {
    tipo_ = new QComboBox(this);
    tipo_->setObjectName(QStringLiteral("tipo"));
    tipo_->addItem(QStringLiteral("media de todos los canales"));
    tipo_->addItem(QStringLiteral("media de los demás canales (CAR)"));
    tipo_->addItem(QStringLiteral("media de los canales elegidos"));
    canales_ = new QListWidget(this);
    canales_->setObjectName(QStringLiteral("canales"));
    for (const std::string& e : etiquetas) {
        auto* fila = new QListWidgetItem(QString::fromStdString(e), canales_);
        fila->setFlags(fila->flags() | Qt::ItemIsUserCheckable);
        fila->setCheckState(Qt::Unchecked);
    }
    canales_->setEnabled(false);
    campos()->addRow(QStringLiteral("referencia:"), tipo_);
    campos()->addRow(QStringLiteral("canales (p. ej. las mastoides):"), canales_);
    connect(tipo_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int i) { canales_->setEnabled(i == 2); });
}

Paso DialogoReferencia::construirPaso() const {
    if (tipo_->currentIndex() == 0) return interpretarPaso("referencia:media", OpcionesPasos{});
    if (tipo_->currentIndex() == 1) return interpretarPaso("referencia:media-otros", OpcionesPasos{});
    std::string lista;
    for (int i = 0; i < canales_->count(); ++i)
        if (canales_->item(i)->checkState() == Qt::Checked)
            lista += (lista.empty() ? "" : "+") + canales_->item(i)->text().toStdString();
    if (lista.empty()) throw std::invalid_argument("Elija al menos un canal de referencia.");
    return interpretarPaso("referencia:" + lista, OpcionesPasos{});
}
