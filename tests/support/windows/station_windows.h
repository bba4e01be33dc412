// Steps through the main window that several window tests share: starting the short demo
// test and opening the module settings window.
#pragma once

#include <QString>

namespace kapsorel::ui {
class MainWindow;
class ModuleSettingsWindow;
} // namespace kapsorel::ui

namespace kapsorel::test {

// Shows `w`, waits for both modules, chooses the NiCd type "20KSX25P" and the procedure
// "Ukázka (3 minuty)", types battery `number` and starts the test from the toolbar; returns
// once it runs. A failed wait fails the test (QTest::currentTestFailed()).
void startDemo(ui::MainWindow& w, const QString& number);

// The module settings window as the toolbar's "Nastavení modulů" opens it.
ui::ModuleSettingsWindow& openModuleSettings(ui::MainWindow& w);

} // namespace kapsorel::test
