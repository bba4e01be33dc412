// The main window's toolbar items, built once and kept as typed members: "Soubor" (with
// "Export CSV" and "Historie baterie"),
// the record windows, " Tisk" with its layout items, "Nastavení" with the family and
// user-level items, Start/Ručně/Stop, and "Poruchy" on a toolbar of its own.
#pragma once

#include "core/app/operator_choices.h"
#include "core/station/battery_family.h"

#include <QObject>
#include <array>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMainWindow;
class QToolBar;

namespace kapsorel::ui {

struct MainActions {
    QToolBar* toolbar = nullptr;
    QToolBar* faultsBar = nullptr;

    QAction* open = nullptr;                // "Otevři"
    QAction* save = nullptr;                // "Ulož"
    QAction* layouts = nullptr;             // "Sestavy"
    QAction* archive = nullptr;             // "Archivuj soubor"
    QAction* exportCsv = nullptr;           // "Export CSV"
    QAction* history = nullptr;             // "Historie baterie"
    QAction* steps = nullptr;               // "Kroky"
    QAction* graph = nullptr;               // "  Graf  "
    QAction* data = nullptr;                // "  Data  "
    QAction* print = nullptr;               // " Tisk"
    std::array<QAction*, 10> layoutItems{}; // ttisk0 … ttisk9
    QAction* modules = nullptr;             // "Nastavení modulů"
    QAction* program = nullptr;             // "Nastavení programu"
    QAction* procedures = nullptr;          // "Postupy"
    QAction* batteries = nullptr;           // "Baterie"
    QAction* nicd = nullptr;                // "NiCd"
    QAction* nicdPb = nullptr;              // "NiCd - PB"
    QAction* pb = nullptr;                  // "PB"
    QActionGroup* families = nullptr;
    QAction* expert = nullptr;   // "Expert"
    QAction* firmware = nullptr; // "Upgrade FW"
    QAction* run = nullptr;      // "Start"
    QAction* manual = nullptr;   // "Ručně"
    QAction* stop = nullptr;     // "Stop"
    QAction* quit = nullptr;     // "Konec" (keyboard)
    QAction* faults = nullptr;   // "Poruchy"

    // Builds both toolbars into `window`; `layoutFiles` fills the first layout items.
    static MainActions build(QMainWindow& window, const std::vector<std::string>& layoutFiles);

    // The family the item stands for (None for other actions).
    BatteryFamily familyOf(const QAction* action) const;
    void checkFamily(BatteryFamily family);
    // Small, medium or large images; Start shows its resume image for an interrupted test.
    void applyIconSize(int size, bool resumeImage);
    // "Nastavení modulů" at level 2, "Upgrade FW" at levels 1 and 2.
    void applyUserLevel(std::uint8_t level);
    void applyFamilyItems(const FamilyItemsShown& shown);
    // Start and Ručně, Stop, and the file items (which must not act while a start is on its way).
    void setRunButtons(bool startEnabled, bool stopEnabled, bool fileItemsEnabled);
    // A save or archive copy is running: the file items stay off until it has ended,
    // whatever the refresh asks for.
    void setFileWorkRunning(bool running);

    bool fileItemsWanted = true; // what the last setRunButtons asked for
    bool fileWorkRunning = false;
};

} // namespace kapsorel::ui
