#pragma once

#include "entry.h"
#include "form_fields.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

enum class Answer { Yes, No };
enum class MessageIcon { None, Exclamation };
enum class DialogResult { Ok, Cancel };

// A change of the table's rows, told to the window before and after it is made.
struct RowChange {
    enum class Kind { Inserted, Removed, Changed };
    Kind kind;
    std::size_t first;
    std::size_t count;
};

// What the main window does for its commands: its form, its table view, its message boxes and
// its end. Texts are UTF-8.
class TrackerWindow : public FormFields {
public:
    // A question with Yes and No buttons, captioned with the program's name.
    virtual Answer ask(std::string_view question, MessageIcon icon, Answer defaultAnswer) = 0;
    // A message with an OK button only.
    virtual void showMessage(std::string_view caption, std::string_view text, MessageIcon icon) = 0;

    // The load has ended: the table view may show the table's rows from now on.
    virtual void showTable() = 0;
    virtual void rowsChanging(const RowChange& change) = 0;
    virtual void rowsChanged(const RowChange& change) = 0;
    // Each column as wide as its widest cell or its heading, whichever is wider.
    virtual void fitColumns(const std::array<int, kEntryFieldCount>& cellWidths) = 0;
    virtual void suspendTableDrawing() = 0;
    virtual void resumeTableDrawing() = 0;  // and draw the table afresh

    virtual void endDialog(DialogResult result) = 0;
    // Hands the address to the platform; whether it could is not examined.
    virtual void openWebAddress(const std::string& address) = 0;
};
