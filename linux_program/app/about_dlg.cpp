#include "about_dlg.h"

#include "dialog_builder.h"
#include "resource.h"

#include <QPushButton>
#include <QScreen>

#include <algorithm>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const QHash<int, QWidget*> controls = buildDialog(*this, kAboutDialogTemplate);
    connect(qobject_cast<QPushButton*>(controls.value(IDOK)), &QPushButton::clicked, this,
            &QDialog::accept);
    placeOver(parent ? parent->window() : nullptr);
}

void CAboutDlg::placeOver(const QWidget* window)
{
    const QScreen* screen = window ? window->screen() : this->screen();
    const QRect workArea = screen->availableGeometry();
    // The box's own frame is not known before it is shown; it gets the window's.
    const QSize frameExtra = window ? window->frameGeometry().size() - window->size() : QSize();
    QRect frame({}, size() + frameExtra);
    frame.moveCenter(window ? window->frameGeometry().center() : workArea.center());
    // Where the box would stick out of the work area it is moved back in, the top left corner
    // staying visible when the box is larger than the area.
    const auto keepInside = [](int start, int length, int areaStart, int areaLength) {
        return std::max(areaStart, std::min(start, areaStart + areaLength - length));
    };
    frame.moveTo(keepInside(frame.left(), frame.width(), workArea.left(), workArea.width()),
                 keepInside(frame.top(), frame.height(), workArea.top(), workArea.height()));
    move(frame.topLeft());
}
