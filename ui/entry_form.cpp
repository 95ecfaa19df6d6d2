#include "entry_form.h"

#include "field_text.h"
#include "resource.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <utility>

namespace {

constexpr std::size_t kNotes = static_cast<std::size_t>(EntryField::Notes);

}  // namespace

EntryForm::EntryForm(const QHash<int, QWidget*>& controls)
    : lineEdits_{qobject_cast<QLineEdit*>(controls.value(IDC_NAME)),
                 qobject_cast<QLineEdit*>(controls.value(IDC_USERNAME)),
                 qobject_cast<QLineEdit*>(controls.value(IDC_PASSWORD)),
                 qobject_cast<QLineEdit*>(controls.value(IDC_URL)),
                 qobject_cast<QLineEdit*>(controls.value(IDC_OTHER))},
      notesEdit_(qobject_cast<QPlainTextEdit*>(controls.value(IDC_NOTES))),
      countEdit_(qobject_cast<QLineEdit*>(controls.value(IDC_COUNT)))
{
    Q_ASSERT(notesEdit_ && countEdit_);
    for (std::size_t field = 0; field < kNotes; ++field) {
        QObject::connect(lineEdits_[field], &QLineEdit::textChanged, lineEdits_[field],
                         [this, field] { changed_[field] = true; });
    }
    QObject::connect(notesEdit_, &QPlainTextEdit::textChanged, notesEdit_,
                     [this] { changed_[kNotes] = true; });
}

// A field whose text did not change keeps its bytes, even those that are no valid text, and
// is not read back: a huge Notes value would cost its whole length twice.
void EntryForm::readForm()
{
    if (holding_)
        return;
    for (std::size_t field = 0; field < kEntryFieldCount; ++field) {
        if (changed_[field])
            strings_.texts[field] =
                fieldBytes(static_cast<EntryField>(field), fieldText(field), strings_.texts[field]);
    }
    changed_.reset();
}

void EntryForm::showForm()
{
    if (holding_) {
        stale_ = true;
        return;
    }
    for (std::size_t field = 0; field < kNotes; ++field) {
        lineEdits_[field]->setText(editText(strings_.texts[field]));
        lineEdits_[field]->setReadOnly(hasOverlongLine(strings_.texts[field]));
    }
    notesEdit_->setPlainText(editText(strings_.texts[kNotes]));
    notesEdit_->setReadOnly(hasOverlongLine(strings_.texts[kNotes]));
    changed_.reset();
    countEdit_->setText(QString::number(count_));
}

void EntryForm::clearForm()
{
    readForm();
    strings_.clear();  // the strings keep their room for the next record
    showForm();
}

void EntryForm::holdDisplay()
{
    holding_ = true;
}

void EntryForm::releaseDisplay()
{
    holding_ = false;
    if (std::exchange(stale_, false))
        showForm();
}

QString EntryForm::fieldText(std::size_t field) const
{
    if (field < kNotes)
        return lineEdits_[field]->text();
    QString text = notesEdit_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}
