#include "ui/main/tfporuchy.h"

#include "core/comm/status_decoders.h"
#include "ui/common/window_placement.h"

#include <QAction>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kapsorel::ui {

TFporuchy::TFporuchy(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TFporuchy"));
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    resize(320, 180);
}

void TFporuchy::showFaults(std::uint16_t faultBits)
{
    memo_->clear();
    for (const auto& line : faultTexts(faultBits))
        memo_->appendPlainText(QString::fromStdString(line));
    show();
    raise();
}

QString TFporuchy::text() const
{
    return memo_->toPlainText();
}

void TFporuchy::closeEvent(QCloseEvent* event)
{
    emit closed();
    QWidget::closeEvent(event);
}

TFporuchy* faultsWindow(QWidget* mainWindow, const ConfigFile& config, const std::string& station)
{
    if (auto* existing = mainWindow->findChild<TFporuchy*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    auto* w = new TFporuchy(mainWindow);
    w->setWindowTitle(QStringLiteral("Poruchy - ") + QString::fromStdString(station));
    restorePlacement(*w, config, "TFporuchy");
    QObject::connect(w, &TFporuchy::closed, mainWindow, [mainWindow] {
        if (auto* a = mainWindow->findChild<QAction*>(QStringLiteral("TBXporucha")))
            a->setChecked(false);
    });
    return w;
}

} // namespace kapsorel::ui
