// Progress of opening a test file: a dialog that appears only once the open has taken
// half a second, so short files open without a flash.
#pragma once

#include "core/records/battery_test_file.h"

#include <QString>

class QProgressDialog;
class QWidget;

namespace kapsorel::ui {

// How long an open may take before its progress is shown.
inline constexpr int kOpenProgressDelayMs = 500;

class OpenProgressDialog {
  public:
    OpenProgressDialog(QWidget* parent, const QString& title, const QString& label = {});
    ~OpenProgressDialog();
    OpenProgressDialog(const OpenProgressDialog&) = delete;
    OpenProgressDialog& operator=(const OpenProgressDialog&) = delete;

    // For BatteryTestFile::openTestFile; valid while this object lives.
    OpenProgress callback();
    QProgressDialog& dialog() { return *dialog_; }

  private:
    QProgressDialog* dialog_;
};

} // namespace kapsorel::ui
