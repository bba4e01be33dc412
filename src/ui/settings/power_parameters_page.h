// The "  Parametry  " page of the program settings window (service users): the two power
// module parameters at settings address 336, read with "Načti" and written with "Ulož" as
// jobs of the power module's runner. "Ulož" stays disabled until a read has succeeded.
#pragma once

#include "core/comm/module_jobs.h"

#include <QWidget>

class QPushButton;
class QSpinBox;

namespace kapsorel::ui {

class DecimalBox;

class PowerParametersPage final : public QWidget {
    Q_OBJECT
  public:
    explicit PowerParametersPage(ModuleJobRunner& powerJobs, QWidget* parent = nullptr);

    QPushButton* readButton() const { return read_; }
    QPushButton* writeButton() const { return write_; }

  signals:
    // "OK" or "Zruš" of this page.
    void finished();

  private:
    void read();
    void write();

    ModuleJobRunner& jobs_;
    QSpinBox* delay_ = nullptr;
    DecimalBox* minVoltage_ = nullptr;
    QWidget* commands_ = nullptr; // "Načti" and "Ulož", disabled while a job runs
    QPushButton* read_ = nullptr;
    QPushButton* write_ = nullptr;
};

} // namespace kapsorel::ui
