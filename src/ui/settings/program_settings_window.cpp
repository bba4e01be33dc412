#include "ui/settings/program_settings_window.h"

#include "core/app/user_list.h"
#include "core/reports/report_texts.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"
#include "ui/settings/battery_page.h"
#include "ui/settings/power_parameters_page.h"
#include "ui/settings/texts_page.h"
#include "ui/settings/users_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFnastaveni_programu";
constexpr const char* kPageKey = "Stranka";

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// "OK" and "Zruš" at the bottom right of a page, named after the page.
QHBoxLayout* pageButtons(QWidget* page, const QString& prefix, std::function<void()> ok, std::function<void()> cancel)
{
    auto* okButton = new QPushButton(QStringLiteral("OK"), page);
    okButton->setObjectName(prefix + QStringLiteral("_ok"));
    auto* cancelButton = new QPushButton(QStringLiteral("Zruš"), page);
    cancelButton->setObjectName(prefix + QStringLiteral("_zrus"));
    QObject::connect(okButton, &QPushButton::clicked, page, std::move(ok));
    QObject::connect(cancelButton, &QPushButton::clicked, page, std::move(cancel));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(okButton);
    row->addWidget(cancelButton);
    return row;
}

// A folder field with a button that picks the folder.
QWidget* folderField(QLineEdit*& edit, const char* name, QWidget* parent)
{
    auto* box = new QWidget(parent);
    edit = new QLineEdit(box);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("..."), box);
    browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("_vyber"));
    browse->setFixedWidth(32);
    QLineEdit* target = edit;
    QObject::connect(browse, &QPushButton::clicked, box, [box, target] {
        const QString chosen = QFileDialog::getExistingDirectory(box, QString(), target->text());
        if (!chosen.isEmpty())
            target->setText(chosen);
    });
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return box;
}

} // namespace

ProgramSettingsWindow::ProgramSettingsWindow(StationRuntime& runtime, ProgramSettingsHost host, QWidget* parent)
    : QDialog(parent), runtime_(runtime), host_(std::move(host))
{
    setObjectName(QStringLiteral("TFnastaveni_programu"));
    setWindowTitle(QStringLiteral("Nastavení programu"));
    setModal(true);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->addTab(buildFoldersPage(), QStringLiteral(" Adresář "));

    users_ = new UsersPage(pages_);
    users_->setObjectName(QStringLiteral("TSuzivatele"));
    connect(users_, &UsersPage::accepted, this, &ProgramSettingsWindow::acceptUsers);
    connect(users_, &UsersPage::rejected, this, &QDialog::reject);
    pages_->addTab(users_, QStringLiteral(" Uživatelé "));

    battery_ = new BatteryPage(pages_);
    battery_->setObjectName(QStringLiteral("TSbaterie"));
    connect(battery_, &BatteryPage::accepted, this, [this] {
        battery_->store(runtime_.settings());
        accept();
    });
    connect(battery_, &BatteryPage::rejected, this, &QDialog::reject);
    pages_->addTab(battery_, QStringLiteral(" Baterie "));

    texts_ = new TextsPage(
        reportTextsPath(runtime_.home()), [this] { return qs(runtime_.settings().stationName); }, runtime_.clock(),
        pages_);
    texts_->setObjectName(QStringLiteral("TStexty"));
    connect(texts_, &TextsPage::finished, this, &QDialog::accept);
    pages_->addTab(texts_, QStringLiteral("Texty"));

    pages_->addTab(buildOtherPage(), QStringLiteral(" Ostatní "));

    parameters_ = new PowerParametersPage(runtime_.powerJobs(), pages_);
    parameters_->setObjectName(QStringLiteral("TSparametry"));
    connect(parameters_, &PowerParametersPage::finished, this, &QDialog::accept);
    pages_->addTab(parameters_, QStringLiteral("  Parametry  "));
    parametersTab_ = parameters_;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    resize(640, 420);
    restorePlacement(*this, runtime_.config(), kSection);
    pages_->setCurrentIndex(std::clamp(runtime_.config().readInt(kSection, kPageKey, 0), 0, pages_->count() - 1));

    // Creation: the texts from their file and the stored panel position.
    texts_->load();
    runtime_.settings().panelPosition = readPanelPosition(runtime_.config());
    if (host_.applyPanelPosition)
        host_.applyPanelPosition();
}

QWidget* ProgramSettingsWindow::buildFoldersPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TSadresar"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Adresář pro data"), folderField(dataFolder_, "Ldataadr", page));
    form->addRow(QStringLiteral("Adresář archivu"), folderField(archiveFolder_, "Ldataarch", page));
    // The labels name the line edits, not the boxes around them.
    for (QLineEdit* edit : {dataFolder_, archiveFolder_})
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(edit->parentWidget())))
            label->setBuddy(edit);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(pageButtons(
        page, QStringLiteral("adresar"), [this] { acceptFolders(); }, [this] { reject(); }));
    return page;
}

QWidget* ProgramSettingsWindow::buildOtherPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("TSostatni"));
    iconSize_ = new QComboBox(page);
    iconSize_->setObjectName(QStringLiteral("CBikony"));
    iconSize_->addItems({QStringLiteral("Malé"), QStringLiteral("Střední"), QStringLiteral("Velké")});
    connect(iconSize_, &QComboBox::currentIndexChanged, this, &ProgramSettingsWindow::chooseIconSize);
    faultSignalling_ = new QSpinBox(page);
    faultSignalling_->setObjectName(QStringLiteral("terr_sir"));
    faultSignalling_->setRange(0, 255);
    panelPosition_ = new QComboBox(page);
    panelPosition_->setObjectName(QStringLiteral("Lum_hl"));
    panelPosition_->addItems({QStringLiteral("Nahoře"), QStringLiteral("Vlevo")});
    connect(panelPosition_, &QComboBox::currentIndexChanged, this, &ProgramSettingsWindow::choosePanelPosition);
    hardwareKind_ = new QComboBox(page);
    hardwareKind_->setObjectName(QStringLiteral("Ctyphw"));
    hardwareKind_->addItems({QStringLiteral("NiCd + Pb"), QStringLiteral("Pb")});
    ignoreInterruptions_ = new QCheckBox(QStringLiteral("Přerušení procesu"), page);
    ignoreInterruptions_->setObjectName(QStringLiteral("lprpr"));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("Velikost ikon v menu"), iconSize_);
    form->addRow(QStringLiteral("Délka signalizace při poruše [s]"), faultSignalling_);
    form->addRow(QStringLiteral("Panel hlaviček"), panelPosition_);
    hardwareLabel_ = new QLabel(QStringLiteral("Druh HW"), page);
    hardwareLabel_->setObjectName(QStringLiteral("LDruhHW"));
    hardwareLabel_->setBuddy(hardwareKind_);
    form->addRow(hardwareLabel_, hardwareKind_);
    form->addRow(QString(), ignoreInterruptions_);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(pageButtons(
        page, QStringLiteral("ostatni"), [this] { acceptOther(); }, [this] { cancelOther(); }));
    return page;
}

void ProgramSettingsWindow::prepare(std::uint8_t userLevel)
{
    const StationSettings& s = runtime_.settings();
    filling_ = true;
    dataFolder_->setText(qs(s.dataFolder));
    archiveFolder_->setText(qs(s.archiveFolder));
    users_->fill(host_.operators ? host_.operators() : std::vector<std::string>{});
    battery_->fill(s);
    confirmedIconSize_ = static_cast<std::uint8_t>(std::clamp<int>(s.iconSize, 0, 2));
    iconSize_->setCurrentIndex(confirmedIconSize_);
    faultSignalling_->setValue(s.faultSignallingSeconds);
    panelPosition_->setCurrentIndex(s.panelPosition == 1 ? 1 : 0);
    hardwareKind_->setCurrentIndex(s.hardwareKind == 1 ? 1 : 0);
    ignoreInterruptions_->setChecked(s.ignoreInterruptions);
    filling_ = false;
    hardwareLabel_->setVisible(userLevel >= 1);
    hardwareKind_->setVisible(userLevel >= 1);
    pages_->setTabVisible(pages_->indexOf(parametersTab_), userLevel >= 2);
    if (!pages_->isTabVisible(pages_->currentIndex()))
        pages_->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Nastavení programu - ") + qs(s.stationName));
}

void ProgramSettingsWindow::acceptFolders()
{
    StationSettings& s = runtime_.settings();
    s.dataFolder = dataFolder_->text().toStdString();
    s.archiveFolder = archiveFolder_->text().toStdString();
    runtime_.applyFolders();
    accept();
}

void ProgramSettingsWindow::acceptUsers()
{
    const std::string selected = host_.selectedOperator ? host_.selectedOperator() : std::string();
    const std::vector<std::string> names = users_->names();
    if (Status written = writeUserList(runtime_.home() / "Kapsorel.usr", names, runtime_.clock()); !written) {
        showRefusal(this, written.error());
        return;
    }
    if (host_.setOperators)
        host_.setOperators(names, selected);
    accept();
}

void ProgramSettingsWindow::acceptOther()
{
    StationSettings& s = runtime_.settings();
    confirmedIconSize_ = static_cast<std::uint8_t>(iconSize_->currentIndex());
    s.iconSize = confirmedIconSize_;
    s.faultSignallingSeconds = static_cast<std::uint8_t>(faultSignalling_->value());
    runtime_.station().errorSirenSeconds.store(s.faultSignallingSeconds, kRelaxed);
    if (!hardwareKind_->isHidden())
        s.hardwareKind = static_cast<std::uint8_t>(hardwareKind_->currentIndex());
    s.ignoreInterruptions = ignoreInterruptions_->isChecked();
    accept();
}

void ProgramSettingsWindow::cancelOther()
{
    if (runtime_.settings().iconSize != confirmedIconSize_) {
        runtime_.settings().iconSize = confirmedIconSize_;
        if (host_.applyIconSize)
            host_.applyIconSize();
    }
    reject();
}

void ProgramSettingsWindow::chooseIconSize(int size)
{
    if (filling_ || size < 0)
        return;
    runtime_.settings().iconSize = static_cast<std::uint8_t>(size);
    if (host_.applyIconSize)
        host_.applyIconSize();
}

void ProgramSettingsWindow::choosePanelPosition(int position)
{
    if (filling_ || position < 0)
        return;
    runtime_.settings().panelPosition = position;
    writePanelPosition(runtime_.config(), position);
    if (host_.applyPanelPosition)
        host_.applyPanelPosition();
}

void ProgramSettingsWindow::done(int result)
{
    if (!texts_->settleEdits())
        return;
    savePlacement(*this, runtime_.config(), kSection);
    runtime_.config().writeInt(kSection, kPageKey, pages_->currentIndex());
    writePanelPosition(runtime_.config(), runtime_.settings().panelPosition);
    QDialog::done(result);
}

} // namespace kapsorel::ui
