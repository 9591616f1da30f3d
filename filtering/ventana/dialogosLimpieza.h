#pragma once
// The dialogs of the cleaning steps on a continuous branch: resampling to a
// chosen rate, removing line noise (with the notches' response, drawn as the
// frequency filter's), and re-referencing. Each builds the runner's own step
// text, so a choice made here replays with ondelar-cli.

#include <string>
#include <vector>

#include "app/dialogoPaso.h"

class GraficoRespuesta;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

class DialogoRemuestreo : public DialogoPaso {
    Q_OBJECT

public:
    // Proposes 256 Hz, or half the branch's rate when that is lower.
    DialogoRemuestreo(Ondelar* principal, int frecuenciaRama);
    QSpinBox* hz() const { return hz_; }

protected:
    Paso construirPaso() const override;

private:
    QSpinBox* hz_;
};

class DialogoLinea : public DialogoPaso {
    Q_OBJECT

public:
    DialogoLinea(Ondelar* principal, int frecuenciaRama);
    // "auto" (the default), "50" or "60".
    QComboBox* frecuencia() const { return frecuencia_; }
    GraficoRespuesta* grafico() const { return grafico_; }

protected:
    Paso construirPaso() const override;

private:
    void actualizarRespuesta();
    int frecuenciaRama_;
    QComboBox* frecuencia_;
    GraficoRespuesta* grafico_;
};

class DialogoReferencia : public DialogoPaso {
    Q_OBJECT

public:
    // etiquetas: the branch's channels, offered for a reference of chosen channels.
    DialogoReferencia(Ondelar* principal, const std::vector<std::string>& etiquetas);
    // 0 the average, 1 the average of the others (CAR), 2 the chosen channels.
    QComboBox* tipo() const { return tipo_; }
    QListWidget* canales() const { return canales_; }

protected:
    Paso construirPaso() const override;

private:
    QComboBox* tipo_;
    QListWidget* canales_;
};
