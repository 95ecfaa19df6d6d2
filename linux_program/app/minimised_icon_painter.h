#pragma once

#include <QObject>

class QWidget;

// Paints a window while it is minimised: its background erased and its icon, at the standard
// icon size, centred in the client area. Otherwise the window paints itself.
class MinimisedIconPainter : public QObject {
    Q_OBJECT

public:
    explicit MinimisedIconPainter(QWidget& window);  // lives no longer than the window
    ~MinimisedIconPainter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};
