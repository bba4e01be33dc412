#include "ui/main/main_actions.h"

#include "ui/common/app_icons.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace kapsorel::ui {

namespace {

constexpr const char* kNotYet = "Toto okno zatím program nemá";

QAction* item(QObject* owner, const char* name, const QString& caption, bool available = true)
{
    auto* a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setIcon(toolbarIcon(QString::fromLatin1(name), 0));
    if (!available) {
        a->setEnabled(false);
        a->setToolTip(QString::fromUtf8(kNotYet));
    }
    return a;
}

// `mnemonic` is the caption with "&" before its Alt letter: the tool button shows it and
// Alt with the letter opens the menu (the action's text stays the caption).
QMenu* submenu(QMainWindow& window, QToolBar* bar, const char* name, const QString& caption, const QString& mnemonic)
{
    auto* a = item(&window, name, caption);
    a->setIconText(mnemonic);
    auto* menu = new QMenu(&window);
    a->setMenu(menu);
    bar->addAction(a);
    if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
        b->setPopupMode(QToolButton::InstantPopup);
    return menu;
}

} // namespace

MainActions MainActions::build(QMainWindow& window, const std::vector<std::string>& layoutFiles)
{
    MainActions m;
    m.toolbar = window.addToolBar(QStringLiteral("Nástroje"));
    m.toolbar->setObjectName(QStringLiteral("TBXToolbar"));
    m.toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m.toolbar->setMovable(false);

    QMenu* file = submenu(window, m.toolbar, "TBXSubSoubor", QStringLiteral("Soubor"), QStringLiteral("&Soubor"));
    m.open = item(file, "TBXOtevri", QStringLiteral("Otevři"));
    m.save = item(file, "TBXUloz", QStringLiteral("Ulož"));
    m.layouts = item(file, "TBXsestavy", QStringLiteral("Sestavy"), false);
    m.archive = item(file, "TBXItem1", QStringLiteral("Archivuj soubor"));
    m.exportCsv = item(file, "TBXexportcsv", QStringLiteral("Export CSV"));
    m.history = item(file, "TBXhistorie", QStringLiteral("Historie baterie"));
    file->addActions({m.open, m.save, m.layouts, m.archive, m.exportCsv, m.history});

    m.steps = item(&window, "TBXKroky", QStringLiteral("Kroky"));
    m.graph = item(&window, "TBXGraf", QStringLiteral("  Graf  "));
    m.data = item(&window, "TBXData", QStringLiteral("  Data  "));
    m.toolbar->addActions({m.steps, m.graph, m.data});

    m.print = item(&window, "TBXTisk", QStringLiteral(" Tisk"), false);
    auto* layouts = new QMenu(&window);
    for (std::size_t k = 0; k < m.layoutItems.size(); ++k) {
        const bool filled = k < layoutFiles.size();
        auto* a = item(layouts, ("ttisk" + std::to_string(k)).c_str(),
                       filled ? QString::fromStdString(layoutFiles[k]) : QString(), false);
        a->setVisible(filled);
        layouts->addAction(a);
        m.layoutItems[k] = a;
    }
    m.print->setMenu(layouts);
    m.print->setIconText(QStringLiteral(" &Tisk"));
    m.toolbar->addAction(m.print);

    QMenu* settings =
        submenu(window, m.toolbar, "TBXSubNastaveni", QStringLiteral("Nastavení"), QStringLiteral("&Nastavení"));
    m.modules = item(settings, "TBXmoduly", QStringLiteral("Nastavení modulů"));
    m.program = item(settings, "TBXprogram", QStringLiteral("Nastavení programu"));
    m.procedures = item(settings, "TBXpostupy", QStringLiteral("Postupy"));
    m.batteries = item(settings, "TBXbaterie", QStringLiteral("Baterie"));
    settings->addActions({m.modules, m.program, m.procedures, m.batteries});
    settings->addSeparator();
    m.families = new QActionGroup(&window);
    m.families->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    m.nicd = item(settings, "typ_nicd", QString::fromStdString(familyName(BatteryFamily::NiCd)));
    m.nicdPb = item(settings, "typ_nicdpb", QString::fromStdString(familyName(BatteryFamily::NiCdPb)));
    m.pb = item(settings, "typ_tpb", QString::fromStdString(familyName(BatteryFamily::Pb)));
    for (QAction* a : {m.nicd, m.nicdPb, m.pb}) {
        a->setCheckable(true);
        m.families->addAction(a);
        settings->addAction(a);
    }
    settings->addSeparator();
    m.expert = item(settings, "u_exp", QStringLiteral("Expert"));
    m.expert->setCheckable(true);
    m.firmware = item(settings, "TBXfw", QStringLiteral("Upgrade FW"));
    settings->addActions({m.expert, m.firmware});

    m.toolbar->addSeparator();
    m.run = item(&window, "TBXrun", QStringLiteral("Start"));
    m.manual = item(&window, "TBXrucne", QStringLiteral("Ručně"));
    m.stop = item(&window, "TBXstop", QStringLiteral("Stop"));
    m.toolbar->addActions({m.run, m.manual, m.stop});
    // The operator's three buttons by keyboard too, the key shown in the tooltip; Tab
    // reaches them after the operator panel.
    for (const auto& [a, key] : {std::pair{m.run, QKeySequence(Qt::Key_F5)},
                                 {m.manual, QKeySequence(Qt::Key_F6)},
                                 {m.stop, QKeySequence(Qt::Key_F8)}}) {
        a->setShortcut(key);
        a->setToolTip(a->text() + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
        if (QWidget* b = m.toolbar->widgetForAction(a))
            b->setFocusPolicy(Qt::TabFocus);
    }
    m.quit = item(&window, "tkonec", QStringLiteral("Konec"));
    window.addAction(m.quit);

    m.faultsBar = window.addToolBar(QStringLiteral("Poruchy"));
    m.faultsBar->setObjectName(QStringLiteral("TBXPoruchy"));
    m.faultsBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m.faults = item(&window, "TBXporucha", QStringLiteral("Poruchy"));
    m.faults->setCheckable(true);
    m.faultsBar->addAction(m.faults);
    m.faults->setVisible(false);
    m.faultsBar->hide();
    return m;
}

BatteryFamily MainActions::familyOf(const QAction* action) const
{
    if (action == nicd)
        return BatteryFamily::NiCd;
    if (action == nicdPb)
        return BatteryFamily::NiCdPb;
    if (action == pb)
        return BatteryFamily::Pb;
    return BatteryFamily::None;
}

void MainActions::checkFamily(BatteryFamily family)
{
    for (QAction* a : {nicd, nicdPb, pb})
        a->setChecked(family != BatteryFamily::None && familyOf(a) == family);
}

void MainActions::applyIconSize(int size, bool resumeImage)
{
    toolbar->setIconSize(toolbarIconSize(size));
    faultsBar->setIconSize(toolbarIconSize(size));
    for (QAction* a : toolbar->parent()->findChildren<QAction*>())
        if (!a->objectName().isEmpty())
            a->setIcon(toolbarIcon(a->objectName(), size));
    run->setIcon(toolbarIcon(resumeImage ? QStringLiteral("TBXrun_resume") : QStringLiteral("TBXrun"), size));
}

void MainActions::applyUserLevel(std::uint8_t level)
{
    modules->setVisible(level == 2);
    firmware->setVisible(level >= 1);
}

void MainActions::applyFamilyItems(const FamilyItemsShown& shown)
{
    nicd->setVisible(shown.nicd);
    nicdPb->setVisible(shown.nicd);
    pb->setVisible(shown.pb);
}

void MainActions::setRunButtons(bool startEnabled, bool stopEnabled, bool fileItemsEnabled)
{
    run->setEnabled(startEnabled);
    manual->setEnabled(startEnabled);
    stop->setEnabled(stopEnabled);
    fileItemsWanted = fileItemsEnabled;
    open->setEnabled(fileItemsEnabled && !fileWorkRunning);
    save->setEnabled(fileItemsEnabled && !fileWorkRunning);
    archive->setEnabled(fileItemsEnabled && !fileWorkRunning);
}

void MainActions::setFileWorkRunning(bool running)
{
    fileWorkRunning = running;
    open->setEnabled(fileItemsWanted && !running);
    save->setEnabled(fileItemsWanted && !running);
    archive->setEnabled(fileItemsWanted && !running);
}

} // namespace kapsorel::ui
