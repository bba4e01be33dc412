// The layouts window (LayoutsWindow): edits one report layout (".ses" in the folder
// "Sestavy") as a grid of items, with the page orientation, a millimetre converter and
// printing the current test with the layout.
#pragma once

#include "core/app/config_file.h"
#include "core/reports/layout_editing.h"

#include <QWidget>
#include <filesystem>
#include <functional>

class QDoubleSpinBox;
class QLabel;
class QRadioButton;
class QTableWidget;

namespace kapsorel::ui {

class LayoutsWindow final : public QWidget {
    Q_OBJECT
  public:
    // Prints a layout with the current test; false when there is no current test.
    using PrintLayout = std::function<bool(const ReportLayout&)>;
    // Asks for a file to open (save false) or save to; empty when cancelled.
    using ChooseFile = std::function<QString(QWidget*, bool save, const QString& folder)>;

    LayoutsWindow(ConfigFile& config, std::filesystem::path folder, QString stationName, PrintLayout print,
                  QWidget* parent = nullptr);

    void setFileChooser(ChooseFile choose) { choose_ = std::move(choose); }
    // False when the folder could not be made: the refusal has been shown, and the window is
    // not to be shown; whoever made it closes it (nothing of it is stored).
    bool folderReady() const { return folderReady_; }

    const LayoutEditing& editing() const { return editing_; }
    const std::filesystem::path& path() const { return path_; }
    bool untitled() const { return untitled_; }

    // The window's commands (menu "Soubor", the buttons).
    void newLayout();
    void openLayout();
    bool save();
    bool saveAs();
    void print();
    // Loads a layout file; a missing file changes nothing, a damaged one is refused aloud.
    bool load(const std::filesystem::path& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The question before the layout is replaced; false when the command is cancelled.
    bool settleChanges(bool withCancel);
    bool saveTo(const std::filesystem::path& path);
    void startUntitled();
    void fillGrid();
    void fillRow(int row);
    void cellEdited(int row, int column);
    void cellDoubleClicked(int row, int column);
    void updateCaption();
    int currentRow() const;

    ConfigFile& config_;
    std::filesystem::path folder_;
    QString stationName_;
    PrintLayout print_;
    ChooseFile choose_;
    LayoutEditing editing_;
    std::filesystem::path path_;
    bool untitled_ = true;
    bool filling_ = false;
    bool folderReady_ = true;
    QTableWidget* grid_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QDoubleSpinBox* millimetres_ = nullptr;
    QLabel* units_ = nullptr;
};

} // namespace kapsorel::ui
