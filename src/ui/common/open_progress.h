// Progress of reading a test file off the GUI thread: the reading runs on a thread of its
// own while the GUI thread keeps painting and ticking; a dialog with "Zrušit" appears only
// once the read has taken half a second, so short files open without a flash.
#pragma once

#include "core/records/battery_test_file.h"

#include <QString>
#include <atomic>
#include <functional>

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

    // Work for the reading thread: reports the fraction read through the progress and
    // stops early (its own way) once the flag is set.
    using Reading = std::function<void(const OpenProgress& progress, const std::atomic<bool>& cancel)>;

    // Runs `read` on a thread of its own and returns when it has ended. Meanwhile the GUI
    // thread handles events, but input to the parent's window (clicks, keys, closing) is
    // held back, so nothing starts on the file being read; "Zrušit" sets the flag.
    void run(const Reading& read);

    QProgressDialog& dialog() { return *dialog_; }

  private:
    QProgressDialog* dialog_;
    QWidget* parent_;
};

} // namespace kapsorel::ui
