// The menu "Soubor" of the module settings window.
#include "ui/service/settings_file_menu.h"

#include "ui/common/ask.h"
#include "ui/common/gui_queue.h"
#include "ui/service/measure_tabs.h"
#include "ui/service/power_tabs.h"
#include "ui/service/service_context.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QStringList>
#include <QThread>

namespace kapsorel::ui {
namespace {

// "Nastavení|*.bts|Vše|*.*" as the dialog's name filters.
QStringList nameFilters()
{
    const QStringList parts = QString::fromUtf8(settings_file::kFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return filters;
}

QString joined(const std::vector<std::string>& messages)
{
    QStringList lines;
    for (const auto& m : messages)
        lines << qs(m);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

SettingsFileMenu::SettingsFileMenu(QMenu* menu, Parts parts) : QObject(menu), parts_(std::move(parts))
{
    auto item = [this, menu](const char* name, const QString& caption, auto action) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, action);
    };
    item("SUlozV", QStringLiteral("Ulož v. modul"), [this] { save(true, false); });
    item("SUlozM", QStringLiteral("Ulož m. modul"), [this] { save(false, true); });
    item("SUlozVse", QStringLiteral("Ulož vše"), [this] { save(true, true); });
    menu->addSeparator();
    item("SOtevriV", QStringLiteral("Otevři v. modul"), [this] { open(SettingsOpen::Power); });
    item("SOtevriM", QStringLiteral("Otevři m. modul"), [this] { open(SettingsOpen::Measure); });
    item("SOtevriVse", QStringLiteral("Otevři vše"), [this] { open(SettingsOpen::All); });
}

SettingsFileMenu::~SettingsFileMenu()
{
    for (const auto& work : work_)
        if (work)
            work->wait();
}

std::optional<std::filesystem::path> SettingsFileMenu::choose(bool save)
{
    QFileDialog dialog(parts_.owner, save ? QStringLiteral("Ulož") : QStringLiteral("Otevři"),
                       qs(parts_.folder.string()));
    dialog.setObjectName(QStringLiteral("settings_file_dialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilters(nameFilters());
    dialog.setDefaultSuffix(QString::fromUtf8(settings_file::kExtension).mid(1));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // a settings file is updated, not overwritten
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void SettingsFileMenu::save(bool power, bool measure)
{
    if (saving_)
        return;
    if (auto path = choose(true))
        saveTo(*path, power, measure);
}

void SettingsFileMenu::saveTo(const std::filesystem::path& path, bool power, bool measure, std::function<void()> done)
{
    auto finish = [&done] {
        if (done)
            done();
    };
    if (saving_)
        return finish();
    SettingsSections sections;
    if (power) {
        auto images = parts_.power.imagesFromFields();
        if (!images.ok()) {
            emit message(qs(images.error()));
            return finish();
        }
        sections.power = *images;
    }
    if (measure) {
        auto images = parts_.measure.imagesFromFields();
        if (!images.ok()) {
            emit message(qs(images.error()));
            return finish();
        }
        sections.measure = *images;
    }
    runSave([path, sections] { return saveSettingsFile(path, sections); }, sections, path, std::move(done));
}

void SettingsFileMenu::runSave(std::function<SettingsSave()> work, SettingsSections sections,
                               std::filesystem::path path, std::function<void()> done)
{
    saving_ = true;
    QPointer<SettingsFileMenu> self(this);
    QThread* thread = QThread::create([self, work = std::move(work), sections = std::move(sections),
                                       path = std::move(path), done = std::move(done), toGui = appGuiQueue().poster()] {
        const SettingsSave saved = work();
        toGui([self, saved, sections, path, done] {
            if (!self)
                return;
            self->saving_ = false;
            if (saved.offerReplace &&
                ask(self->parts_.owner, self->parts_.stationName, qs(replaceQuestion(path)), false) == AskAnswer::Yes) {
                // Replacing is a fresh file; it goes off the GUI thread like every save.
                self->runSave([path, sections] { return SettingsSave{replaceSettingsFile(path, sections)}; }, sections,
                              path, done);
                return;
            }
            emit self->message(qs(saved.status.error()));
            if (done)
                done();
        });
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    work_.emplace_back(thread);
    thread->start();
}

void SettingsFileMenu::open(SettingsOpen which)
{
    if (auto path = choose(false))
        openFrom(*path, which);
}

void SettingsFileMenu::openFrom(const std::filesystem::path& path, SettingsOpen which)
{
    const SettingsLoad load = openSettingsFile(path, which);
    if (load.power)
        parts_.power.takeImages(*load.power);
    if (load.measure)
        parts_.measure.takeImages(*load.measure);
    parts_.guard.markKnown(load.loaded);
    emit message(joined(load.messages));
}

} // namespace kapsorel::ui
