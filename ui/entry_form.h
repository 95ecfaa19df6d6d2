#pragma once

#include "entry.h"

#include <QHash>
#include <QString>

#include <array>
#include <bitset>
#include <cstddef>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The window's six current-entry strings and the count, bound to the edit fields.
class EntryForm {
public:
    explicit EntryForm(const QHash<int, QWidget*>& controls);

    Entry& strings() { return strings_; }
    void setCount(std::size_t count) { count_ = count; }

    void readForm();   // edit fields into the strings
    void showForm();   // strings and count into the fields
    void clearForm();  // read, empty the strings, show

    // While held, the strings alone are the form: show the form only marks the fields stale
    // and read the form finds them unchanged. Release brings the fields up to date.
    void holdDisplay();
    void releaseDisplay();

private:
    QString fieldText(std::size_t field) const;

    std::array<QLineEdit*, kEntryFieldCount - 1> lineEdits_{};
    QPlainTextEdit* notesEdit_ = nullptr;
    QLineEdit* countEdit_ = nullptr;
    Entry strings_;
    std::bitset<kEntryFieldCount> changed_;  // the fields whose text changed since last shown
    std::size_t count_ = 0;
    bool holding_ = false;
    bool stale_ = false;
};
