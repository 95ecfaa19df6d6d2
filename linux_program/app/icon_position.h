#pragma once

#include <QPoint>
#include <QSize>

// Where the icon goes when it is drawn centred in a client area; C++'s division truncates
// toward zero, also when the icon is larger than the client area.
constexpr QPoint centredIconPosition(QSize client, QSize icon)
{
    return {(client.width() - icon.width() + 1) / 2, (client.height() - icon.height() + 1) / 2};
}
