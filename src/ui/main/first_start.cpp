#include "ui/main/first_start.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace kapsorel::ui {

namespace {

QString qs(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

void showFailure(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kapsorel"), QString::fromStdString(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("zprava"));
    box.exec();
}

} // namespace

FirstStartChoice askFirstStart(const QString& folder, QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Kapsorel - první spuštění"),
                    QStringLiteral("Ve složce %1 zatím není žádná stanice.\n\n"
                                   "Vytvořit v ní ukázkovou stanici (pro simulátor kapsorel-sim), "
                                   "nebo vybrat složku stanice, která už existuje?")
                        .arg(folder),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("prvni_spusteni"));
    QPushButton* demo = box.addButton(QStringLiteral("&Vytvořit ukázkovou stanici"), QMessageBox::AcceptRole);
    demo->setObjectName(QStringLiteral("bukazka"));
    QPushButton* choose = box.addButton(QStringLiteral("Vybrat &složku…"), QMessageBox::ActionRole);
    choose->setObjectName(QStringLiteral("bslozka"));
    QPushButton* quit = box.addButton(QStringLiteral("&Konec"), QMessageBox::RejectRole);
    quit->setObjectName(QStringLiteral("bkonec"));
    box.setDefaultButton(demo);
    box.setEscapeButton(quit);
    box.exec();
    if (box.clickedButton() == demo)
        return FirstStartChoice::Demo;
    if (box.clickedButton() == choose)
        return FirstStartChoice::Folder;
    return FirstStartChoice::Quit;
}

std::optional<std::filesystem::path> runFirstStart(const StationFolderChoice& choice,
                                                   const std::filesystem::path& demoFolder,
                                                   const std::filesystem::path& userDataDir)
{
    for (;;) {
        switch (askFirstStart(qs(choice.folder))) {
        case FirstStartChoice::Quit:
            return std::nullopt;
        case FirstStartChoice::Demo:
            if (const Status made = createStationFrom(demoFolder, choice.folder); !made) {
                showFailure(made.error());
                continue;
            }
            return choice.folder;
        case FirstStartChoice::Folder: {
            const QString dir =
                QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Složka stanice"), QDir::homePath());
            if (dir.isEmpty())
                continue; // back to the question
            const std::filesystem::path folder = dir.toStdString();
            if (const Status kept = rememberStationFolder(userDataDir, folder); !kept)
                showFailure(kept.error());
            return folder;
        }
        }
    }
}

} // namespace kapsorel::ui
