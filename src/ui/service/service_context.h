// What every part of the module settings window shares: the module's job runner, the
// write gate and the blocks known, the progress bar of the long sequences and small helpers
// for labelled fields.
#pragma once

#include "core/comm/module_jobs.h"
#include "core/service/write_guard.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <string>

class QProgressBar;

namespace kapsorel::ui {

struct ServiceContext {
    ModuleJobRunner& runner;
    WriteGuard& guard;
    const WriteGate& gate;
    QProgressBar* progress;
    const SharedRunState& run; // drive commands are refused while a test runs
    const LiveValues& live;    // the hardware kind and the module voltage at each click
};

inline QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// A row of a form whose label is the field's buddy.
inline void addBuddyRow(QFormLayout* form, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    form->addRow(label, field);
}

inline QPushButton* namedButton(const QString& caption, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace kapsorel::ui
