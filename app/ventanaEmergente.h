#pragma once
// The frequency-analysis window: a titled top-level window with an empty
// grid layout where the analysis will be shown.

#include <memory>

#include <QWidget>

namespace Ui {
class ventanaEmergente;
}

class ventanaEmergente : public QWidget {
    Q_OBJECT

public:
    explicit ventanaEmergente(QWidget* parent = nullptr);
    ~ventanaEmergente() override;

    std::unique_ptr<Ui::ventanaEmergente> ui;
};
