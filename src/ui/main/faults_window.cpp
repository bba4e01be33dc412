#include "ui/main/faults_window.h"

#include "core/comm/status_decoders.h"
#include "ui/common/window_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kapsorel::ui {

FaultsWindow::FaultsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TFporuchy"));
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    resize(320, 180);
}

void FaultsWindow::showFaults(std::uint16_t faultBits)
{
    memo_->clear();
    for (const auto& line : faultTexts(faultBits))
        memo_->appendPlainText(QString::fromStdString(line));
    show();
    raise();
}

QString FaultsWindow::text() const
{
    return memo_->toPlainText();
}

void FaultsWindow::closeEvent(QCloseEvent* event)
{
    emit closed();
    QWidget::closeEvent(event);
}

FaultsWindow* faultsWindow(QWidget* mainWindow, const ConfigFile& config, const std::string& station)
{
    if (auto* existing = mainWindow->findChild<FaultsWindow*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    auto* w = new FaultsWindow(mainWindow);
    w->setWindowTitle(QStringLiteral("Poruchy - ") + QString::fromStdString(station));
    restorePlacement(*w, config, "TFporuchy");
    QObject::connect(w, &FaultsWindow::closed, mainWindow, [mainWindow] {
        if (auto* a = mainWindow->findChild<QAction*>(QStringLiteral("TBXporucha")))
            a->setChecked(false);
    });
    return w;
}

} // namespace kapsorel::ui
