#include "ui/definitions/condition_value_field.h"

#include "core/definitions/condition_editor.h"

#include <QKeyEvent>
#include <optional>

namespace kapsorel::ui {

namespace {

// The keys that edit rather than type; every other key with text is a character.
std::optional<ValueFieldKey> editingKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
        return ValueFieldKey::Backspace;
    case Qt::Key_Delete:
        return ValueFieldKey::Delete;
    case Qt::Key_Left:
        return ValueFieldKey::Left;
    case Qt::Key_Right:
        return ValueFieldKey::Right;
    case Qt::Key_Home:
        return ValueFieldKey::Home;
    case Qt::Key_End:
        return ValueFieldKey::End;
    default:
        return std::nullopt;
    }
}

} // namespace

void ConditionValueField::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (editingKey(event->key()) || shortcut || typed.isEmpty() || !typed.at(0).isPrint()) {
        QLineEdit::keyPressEvent(event); // editing keys, Tab, Enter and shortcuts pass
        return;
    }
    const QString current = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    const KeyVerdict verdict =
        filterConditionValueKey(current.toStdString(), static_cast<std::size_t>(start),
                                static_cast<std::size_t>(length), ValueFieldKey::Character, typed.toStdString());
    if (!verdict.accepted) {
        event->accept();
        return;
    }
    insert(QString::fromStdString(verdict.insert));
    event->accept();
}

void ConditionValueField::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace kapsorel::ui
