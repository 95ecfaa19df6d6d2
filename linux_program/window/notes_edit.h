#pragma once

#include <QPlainTextEdit>

// The Notes field: Enter is left to the window's default button; Ctrl+Enter breaks the line.
class NotesEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit NotesEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
