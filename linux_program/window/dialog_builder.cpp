#include "dialog_builder.h"

#include "entry_table_view.h"
#include "notes_edit.h"
#include "resource.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <limits>

namespace {

// Rounds as the dialog manager does when it scales dialog units.
int scaled(int units, int base, int divisor)
{
    return (units * base + divisor / 2) / divisor;
}

// A single-line field takes only the first line of a pasted or dropped text, as a one-line
// edit field does: a line feed in its value would split the record in the data file.
void keepToOneLine(QLineEdit& edit)
{
    QObject::connect(&edit, &QLineEdit::textEdited, &edit, [&edit](const QString& text) {
        qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        if (lineEnd < 0)
            return;
        const qsizetype insertionEnd = std::max<qsizetype>(edit.cursorPosition(), lineEnd + 1);
        if (lineEnd > 0 && text[lineEnd - 1] == QLatin1Char('\r'))
            --lineEnd;
        edit.setText(text.left(lineEnd) + text.mid(insertionEnd));
        edit.setCursorPosition(static_cast<int>(lineEnd));
    });
}

QWidget* createControl(const ControlTemplate& control, QWidget* parent)
{
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setEnabled(control.kind == ControlKind::Edit);
        keepToOneLine(*edit);
        return edit;
    }
    case ControlKind::NotesEdit: {
        auto* edit = new NotesEdit(parent);
        edit->setPlainText(text);
        return edit;
    }
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::EntryList:
        return new EntryTableView(parent);
    }
    return nullptr;
}

bool isField(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::NotesEdit
        || kind == ControlKind::ReadOnlyEdit;
}

// A label names the field that follows it in the template. The field gets the label as its
// buddy, which screen readers see as the field's label, and the label's text without its
// colon as its accessible name, which they announce.
void nameByLabel(QWidget& field, QLabel& label)
{
    label.setBuddy(&field);
    QString name = label.text();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field.setAccessibleName(name);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (letters / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    return {scaled(x, baseWidth_, 4), scaled(y, baseHeight_, 8), scaled(width, baseWidth_, 4),
            scaled(height, baseHeight_, 8)};
}

QFont dialogFont(const DialogTemplate& dialogTemplate)
{
    const QString family = QString::fromUtf8(dialogTemplate.fontFamily);
    QFont font = QFontDatabase::hasFamily(family) ? QFont(family)
                                                  : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(dialogTemplate.pointSize);
    return font;
}

QHash<int, QWidget*> buildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate)
{
    const QFont font = dialogFont(dialogTemplate);
    const DialogUnits units(font);
    dialog.setProperty(kTemplateIdProperty, dialogTemplate.id);
    dialog.setFont(font);
    dialog.setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    dialog.setFixedSize(units.toPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size());

    QHash<int, QWidget*> controls;
    QWidget* previous = nullptr;
    QLabel* label = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = createControl(control, &dialog);
        if (label && isField(control.kind))
            nameByLabel(*widget, *label);
        label = qobject_cast<QLabel*>(widget);
        widget->setGeometry(
            units.toPixels(control.x, control.y, control.width, control.height));
        widget->setProperty(kControlIdProperty, control.id);
        if (control.id != IDC_STATIC)
            controls.insert(control.id, widget);
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }
    return controls;
}
