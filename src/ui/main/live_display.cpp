#include "ui/main/live_display.h"

#include "core/base/atomic_order.h"
#include "core/base/numbers.h"
#include "ui/main/circuit_diagram.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace kapsorel::ui {

LiveDisplay::LiveDisplay(QMainWindow& window, CircuitDiagram& diagram) : QObject(&window), diagram_(diagram)
{
    window.statusBar()->setObjectName(QStringLiteral("LMDStatusBar1"));
    const char* fixed[] = {" Hlava", nullptr,        " Krok", nullptr, " Čas kroku",
                           nullptr,  " Celkový čas", nullptr, nullptr};
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        auto* l = new QLabel(fixed[i] ? QString::fromUtf8(fixed[i]) : QString(), &window);
        l->setObjectName(QStringLiteral("panel%1").arg(i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(i == 3 ? 200 : 70);
        window.statusBar()->addWidget(l, i == 8 ? 1 : 0);
        panels_[i] = l;
    }
}

void LiveDisplay::setLabel(QLabel* label, const LabelText& t)
{
    if (!label)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, t.red ? QColor(Qt::red) : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(p);
    label->setText(QString::fromStdString(t.text));
    label->adjustSize();
}

void LiveDisplay::apply(const DisplayUpdate& u, const Station& station, const StationSettings& settings,
                        BatteryFamily family)
{
    if (u.headText)
        panels_[1]->setText(QString::fromStdString(*u.headText));
    if (u.versionText)
        diagram_.valueLabel("lver")->setText(QString::fromStdString(*u.versionText));
    const std::pair<const char*, const std::optional<LabelText>*> labels[] = {
        {"lnap", &u.voltage},   {"znap", &u.source},        {"otepl", &u.moduleTemp},
        {"lproud", &u.current}, {"lkapacita", &u.capacity}, {"lteplota", &u.temperature}};
    for (const auto& [name, text] : labels)
        if (*text)
            setLabel(diagram_.valueLabel(name), **text);
    for (int i : u.changedCells) {
        if (family != BatteryFamily::NiCd && i != 0)
            continue;
        diagram_.setCellBar(i, cellBar(station.live.cellVoltage[static_cast<std::size_t>(i)].load(kRelaxed), settings));
    }
    if (u.stepTime)
        panels_[5]->setText(QString::fromStdString(*u.stepTime));
    if (u.totalTime)
        panels_[7]->setText(QString::fromStdString(*u.totalTime));
    const auto& live = station.live;
    diagram_.setSwitches(live.chargingOn.load(kRelaxed) == 1, live.dischargingOn.load(kRelaxed) == 1,
                         live.driveOn.load(kRelaxed) == 1);
}

void LiveDisplay::showStepText(const std::string& text)
{
    panels_[3]->setText(QString::fromStdString(text));
}

void LiveDisplay::showDeltaCurrent(float amperes)
{
    setLabel(diagram_.valueLabel("ldpr"), LabelText{formatNumber("%5.2fA", double(amperes)), false});
}

} // namespace kapsorel::ui
