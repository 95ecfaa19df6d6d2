#pragma once

#include "modal_watch.h"

#include <QMessageBox>
#include <QObject>
#include <QString>

// Answers the next message box that opens modally: notes what it shows and presses the
// given button, as a user would.
class NextMessageBox : public QObject {
    Q_OBJECT

public:
    explicit NextMessageBox(QMessageBox::StandardButton answer);

    bool seen() const { return seen_; }
    QString text() const { return text_; }
    QString caption() const { return caption_; }
    QMessageBox::Icon icon() const { return icon_; }
    QMessageBox::StandardButtons buttons() const { return buttons_; }
    QMessageBox::StandardButton defaultButton() const { return defaultButton_; }

private:
    void answer(QWidget* modal);

    QMessageBox::StandardButton answer_;
    bool seen_ = false;
    QString text_;
    QString caption_;
    QMessageBox::Icon icon_ = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons_;
    QMessageBox::StandardButton defaultButton_ = QMessageBox::NoButton;
    ModalWatch watch_;  // last: it may act as soon as it exists
};
