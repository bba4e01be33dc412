// The message boxes a window has shown (they stay its children, modeless).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kapsorel::test {

// Texts of the QMessageBox children of `w` named `name` (the station's message box is
// "zprava"), in the order of its children; an empty name takes every message box.
QStringList messages(const QWidget& w, const QString& name = QStringLiteral("zprava"));

} // namespace kapsorel::test
