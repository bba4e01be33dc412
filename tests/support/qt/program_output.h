// What a helper program (pdfinfo, pdftotext) writes to its standard output.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kapsorel::test {

// The program's standard output once it has ended; empty when it did not end within 30 s.
inline QString programOutput(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace kapsorel::test
