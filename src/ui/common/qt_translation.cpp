#include "ui/common/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kapsorel::ui {

bool installQtCzechTranslation(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    // "qt_cs" gathers the catalogues of Qt's modules (qtbase_cs, qtmultimedia_cs).
    if (!translator->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace kapsorel::ui
