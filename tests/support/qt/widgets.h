// Finding a window's widgets by objectName, choosing from its lists and saving pictures of
// it, as the window tests do.
#pragma once

#include <QString>
#include <QWidget>

class QComboBox;

namespace kapsorel::test {

// The child of `root` named `name`; the test program stops with the name when there is none.
template <class W> W* widget(const QObject& root, const char* name)
{
    auto* w = root.findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// Waits up to 20 s until `box` lists `text`, then chooses it; a failed wait fails the test.
void choose(QComboBox* box, const QString& text);

// With KAPSOREL_SCREENSHOTS set to a folder, saves `w` there as `name`.png.
void snap(QWidget& w, const QString& name);
inline void snap(QWidget& w, const char* name)
{
    snap(w, QString::fromLatin1(name));
}

} // namespace kapsorel::test
