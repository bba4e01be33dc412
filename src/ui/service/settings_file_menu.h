// The module settings window's menu "Soubor": saves the power and measurement modules'
// images into a settings file (".bts") and opens them from one. A save runs off the GUI
// thread; an open only fills the window's images and pages and marks the loaded blocks
// known to the write guard, nothing goes to a module.
#pragma once

#include "core/service/settings_file.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QMenu;
class QThread;
class QWidget;

namespace kapsorel::ui {

class MeasureTabs;
class PowerTabs;

class SettingsFileMenu final : public QObject {
    Q_OBJECT
  public:
    struct Parts {
        QWidget* owner;
        PowerTabs& power;
        MeasureTabs& measure;
        WriteGuard& guard;
        std::filesystem::path folder; // where the file dialogs open
        QString stationName;          // the replace question's title
    };
    SettingsFileMenu(QMenu* menu, Parts parts);
    ~SettingsFileMenu() override;

    // A save into `path` without the dialog (the dialog's choice ends here); `done` runs once
    // the file is written or refused.
    void saveTo(const std::filesystem::path& path, bool power, bool measure, std::function<void()> done = {});
    // An open of `path` without the dialog.
    void openFrom(const std::filesystem::path& path, SettingsOpen which);
    bool saving() const { return saving_; }

  signals:
    void message(const QString& text);

  private:
    std::optional<std::filesystem::path> choose(bool save);
    void save(bool power, bool measure);
    void open(SettingsOpen which);
    void runSave(std::function<SettingsSave()> work, SettingsSections sections, std::filesystem::path path,
                 std::function<void()> done);

    Parts parts_;
    bool saving_ = false;
    std::vector<QPointer<QThread>> work_;
};

} // namespace kapsorel::ui
