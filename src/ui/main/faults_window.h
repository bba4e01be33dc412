// "Poruchy": the fault bits the power module reports, one line each. Opened and closed
// as the bits change, and on demand from the main window.
#pragma once

#include "core/app/config_file.h"

#include <QWidget>
#include <cstdint>
#include <string>

class QPlainTextEdit;

namespace kapsorel::ui {

class FaultsWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit FaultsWindow(QWidget* parent = nullptr);

    // Clears the list, adds a line for each fault bit set and shows the window.
    void showFaults(std::uint16_t faultBits);
    QString text() const;

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QPlainTextEdit* memo_ = nullptr;
};

// The main window's faults window, created on first use with its caption ("Poruchy - " +
// station) and its stored placement; closing it unchecks "Poruchy".
FaultsWindow* faultsWindow(QWidget* mainWindow, const ConfigFile& config, const std::string& station);

} // namespace kapsorel::ui
