#include "ui/main/banners.h"

#include "ui/main/circuit_diagram.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSoundEffect>
#include <QUrl>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

// The value labels a banner must leave readable.
constexpr const char* kValueLabels[] = {"lnap", "lproud", "lkapacita", "lteplota", "otepl", "znap", "ldpr", "lver"};
constexpr int kMinimumChars = 10;
constexpr int kMargin = 4;

} // namespace

Banners::Banners(CircuitDiagram& diagram) : QObject(&diagram), diagram_(diagram)
{
    alarm_ = new QPushButton(&diagram);
    alarm_->setObjectName(QStringLiteral("balarm"));
    alarm_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #ffd040; border: 2px solid #a00000; border-radius: 12px; color: #a00000;"
        " padding: 6px 2px; }"));
    QFont bannerFont = alarm_->font();
    bannerFont.setPointSize(bannerFont.pointSize() + 6);
    alarm_->setFont(bannerFont);
    alarm_->hide();
    // Its text is the step's message; a screen reader names it for what it does.
    alarm_->setAccessibleName(QStringLiteral("Signalizace (potvrdit)"));
    alarm_->setAutoDefault(true);
    connect(alarm_, &QPushButton::clicked, this, &Banners::alarmClicked);

    question_ = new QFrame(&diagram);
    question_->setObjectName(QStringLiteral("bvolba"));
    question_->setStyleSheet(
        QStringLiteral("QFrame#bvolba { background: #d8e8ff; border: 2px solid #204080; border-radius: 12px; }"));
    auto* column = new QVBoxLayout(question_);
    questionText_ = new QLabel(QStringLiteral("Zkouška nevyšla. Pokračovat?"), question_);
    questionText_->setObjectName(QStringLiteral("bvolba_text"));
    questionText_->setTextFormat(Qt::PlainText); // a procedure's question is shown as written
    questionText_->setFont(bannerFont);
    questionText_->setAlignment(Qt::AlignCenter);
    questionText_->setWordWrap(true);
    column->addWidget(questionText_);
    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("OK"), question_);
    ok_->setObjectName(QStringLiteral("bvol_ok"));
    end_ = new QPushButton(QStringLiteral("Konec"), question_);
    end_->setObjectName(QStringLiteral("bvol_ko"));
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(end_);
    buttons->addStretch();
    column->addLayout(buttons);
    ok_->setAccessibleName(QStringLiteral("OK (pokračovat v testu)"));
    end_->setAccessibleName(QStringLiteral("Konec (ukončit test)"));
    // Enter answers with the button that has the focus, as in a dialog.
    ok_->setAutoDefault(true);
    end_->setAutoDefault(true);
    question_->hide();
    ok_->hide();
    end_->hide();
    connect(ok_, &QPushButton::clicked, this, [this] { emit questionAnswered(true); });
    connect(end_, &QPushButton::clicked, this, [this] { emit questionAnswered(false); });
    diagram.installEventFilter(this);
}

void Banners::loadAlarmSound(const std::filesystem::path& wav)
{
    if (!sound_)
        sound_ = new QSoundEffect(this);
    if (std::error_code ec; std::filesystem::is_regular_file(wav, ec))
        sound_->setSource(QUrl::fromLocalFile(QString::fromStdString(wav.string())));
}

void Banners::playAlarm()
{
    if (sound_ && sound_->status() == QSoundEffect::Ready)
        sound_->play();
}

void Banners::showAlarm(const QString& text)
{
    alarm_->setText(text);
    layOut();
    alarm_->show();
    alarm_->raise();
}

void Banners::hideAlarm()
{
    alarm_->hide();
}

void Banners::raiseAlarm()
{
    if (alarm_->isVisible())
        alarm_->raise();
}

bool Banners::alarmShown() const
{
    return alarm_->isVisible();
}

void Banners::showQuestion(const QString& text)
{
    questionText_->setText(text);
    // The buttons take part in the banner's height.
    ok_->show();
    end_->show();
    layOut();
    question_->show();
    question_->raise();
    questionText_->setAccessibleName(text);
    // The operator answers by keyboard too: OK has the focus, Tab goes to "Konec".
    ok_->setFocus(Qt::OtherFocusReason);
}

void Banners::hideQuestion()
{
    ok_->setAccessibleName(QStringLiteral("OK (pokračovat v testu)"));
    end_->setAccessibleName(QStringLiteral("Konec (ukončit test)"));
    // Enter answers with the button that has the focus, as in a dialog.
    ok_->setAutoDefault(true);
    end_->setAutoDefault(true);
    question_->hide();
    ok_->hide();
    end_->hide();
}

bool Banners::questionShown() const
{
    return question_->isVisible();
}

int Banners::bannerWidth(const QString& text, const QFont& font) const
{
    // Half a character height per character, at least ten characters, within the diagram.
    const int charHeight = QFontMetrics(font).height();
    const int wanted = std::max(int(text.size()), kMinimumChars) * charHeight / 2 + 24;
    return std::max(std::min(wanted, diagram_.width() - 2 * kMargin), 0);
}

QPoint Banners::freePlace(QSize size, int top, const QRect& avoid) const
{
    const int x = std::max((diagram_.width() - size.width()) / 2, 0);
    const int lowest = std::max(diagram_.height() - size.height() - kMargin, top);
    for (int y = top; y <= lowest; y += kMargin) {
        const QRect place(QPoint(x, y), size);
        bool free = !place.intersects(avoid);
        for (const char* name : kValueLabels) {
            const QLabel* l = diagram_.valueLabel(name);
            if (free && l && l->isVisible() && place.intersects(l->geometry()))
                free = false;
        }
        if (free)
            return place.topLeft();
    }
    return QPoint(x, top); // no free place at this size: the top one
}

void Banners::layOut()
{
    alarm_->resize(bannerWidth(alarm_->text(), alarm_->font()), alarm_->sizeHint().height());
    alarm_->move(freePlace(alarm_->size(), diagram_.height() * 2 / 100, QRect()));

    const int width = bannerWidth(questionText_->text(), questionText_->font());
    questionText_->setFixedWidth(std::max(width - 24, 0));
    QLayout* column = question_->layout();
    column->activate();
    const int height = column->hasHeightForWidth() ? column->totalHeightForWidth(width) : column->sizeHint().height();
    question_->resize(width, std::max(height, question_->minimumSizeHint().height()));
    const QRect alarmPlace = alarm_->isVisible() ? alarm_->geometry() : QRect();
    question_->move(freePlace(question_->size(), diagram_.height() * 28 / 100, alarmPlace));
}

bool Banners::eventFilter(QObject* watched, QEvent* event)
{
    // After the diagram has placed its labels for the new size.
    if (watched == &diagram_ && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &Banners::layOut, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

} // namespace kapsorel::ui
