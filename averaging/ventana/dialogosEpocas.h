#pragma once
// The dialogs of the epoch steps: cutting epochs around chosen event kinds,
// subtracting a baseline, and marking epochs for review by the rejection
// rules (which opens the browser with the marks instead of applying them).

#include <string>
#include <vector>

#include "app/dialogoPaso.h"
#include "averaging/epocas.h"

class QCheckBox;
class QDoubleSpinBox;
class QListWidget;

class DialogoEpocas : public DialogoPaso {
    Q_OBJECT

public:
    // Lists the kinds of `tabla` with their counts, every one chosen, and
    // proposes -200 / 800 ms.
    DialogoEpocas(Ondelar* principal, const TablaEventos& tabla);

    QListWidget* lista() const { return lista_; }
    QDoubleSpinBox* msPrev() const { return msPrev_; }
    QDoubleSpinBox* msPost() const { return msPost_; }

protected:
    Paso construirPaso() const override;

private:
    std::vector<TipoEvento> tipos_;  // one per row of the list
    QListWidget* lista_;
    QDoubleSpinBox* msPrev_;
    QDoubleSpinBox* msPost_;
};

class DialogoLineaBase : public DialogoPaso {
    Q_OBJECT

public:
    explicit DialogoLineaBase(Ondelar* principal);
    QDoubleSpinBox* desde() const { return desde_; }
    QDoubleSpinBox* hasta() const { return hasta_; }

protected:
    Paso construirPaso() const override;

private:
    QDoubleSpinBox* desde_;
    QDoubleSpinBox* hasta_;
};

class DialogoRechazo : public DialogoPaso {
    Q_OBJECT

public:
    explicit DialogoRechazo(Ondelar* principal);
    OpcionesRechazo opciones() const;
    QCheckBox* usarPicoAPico() const { return usar_[0]; }
    QDoubleSpinBox* picoAPico() const { return limite_[0]; }

protected:
    Paso construirPaso() const override;
    // Marks on the selected branch and opens the browser with the marks.
    bool ejecutar(std::string& fallo) override;

private:
    QCheckBox* usar_[3];
    QDoubleSpinBox* limite_[3];
};
