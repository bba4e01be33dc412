// The "Texty" page of the program settings window: the report texts grid of "Texty.cfg" with
// its row commands, each cell checked as it is committed, the modified flag and the question
// that keeps or drops unsaved edits.
#pragma once

#include "core/base/clock.h"
#include "core/reports/report_texts.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

class QTableWidget;

namespace kapsorel::ui {

class TextsPage final : public QWidget {
    Q_OBJECT
  public:
    // `file`: "Texty.cfg"; `stationName` titles the question box.
    TextsPage(std::filesystem::path file, std::function<QString()> stationName, Clock& clock,
              QWidget* parent = nullptr);

    // Empties the grid and shows the file's texts (none when it is missing); a refused or
    // unreadable file is reported and the grid stays empty. Clears the modified flag.
    void load();
    // Writes the grid's rows; false (the message shown, the file untouched) when a cell is
    // refused or the write fails. Clears the modified flag on success.
    bool save();
    // When the texts are modified asks "Provedeny změny v textech.  Uložit?  ": "Ano" saves,
    // "Ne" reloads the file. True unless a save was wanted and failed.
    bool settleEdits();

    bool modified() const { return modified_; }
    QTableWidget* grid() const { return grid_; }

  signals:
    // "OK" or "Zruš" of this page.
    void finished();

  private:
    void addRow(const ReportTextCells& cells);
    void moveSelected(int by);
    void markModified() { modified_ = true; }

    std::filesystem::path file_;
    std::function<QString()> stationName_;
    Clock& clock_;
    QTableWidget* grid_ = nullptr;
    bool modified_ = false;
    bool filling_ = false;
};

} // namespace kapsorel::ui
