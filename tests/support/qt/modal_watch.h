#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Runs an action once on the next modal window other than `current` that becomes active,
// for as long as the watch lives. It polls the event loop, so it acts while the code under
// test sits in that window's modal run.
class ModalWatch : public QObject {
    Q_OBJECT

public:
    ModalWatch(const QWidget* current, std::function<void(QWidget*)> action);

    bool seen() const { return seen_; }

private:
    void actIfShown();

    const QWidget* current_;
    std::function<void(QWidget*)> action_;
    QTimer poll_;
    bool seen_ = false;
};
