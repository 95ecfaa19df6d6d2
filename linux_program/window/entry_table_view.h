#pragma once

#include "entry.h"

#include <QTableView>

#include <array>

// The table of entries: shows its selection only while it has the keyboard focus and reports
// every press of the left mouse button, on a row or on empty space. The row pressed is the row
// selected: moving with a button held selects no other. It has no keyboard copy of its own.
class EntryTableView : public QTableView {
    Q_OBJECT

public:
    explicit EntryTableView(QWidget* parent = nullptr);

    // Each column as wide as its widest cell or its heading, whichever is wider; the last one
    // also fills what is left of the table's width.
    void fitColumns(const std::array<int, kEntryFieldCount>& cellWidths);

signals:
    void leftPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showSelection(bool shown);
    void stretchLastColumn();

    std::array<int, kEntryFieldCount> fittedWidths_{};
    std::array<int, kEntryFieldCount> headingWidths_{};  // 0 until measured for the font
};
