#pragma once

#include <QIcon>

// The program's icon, in its 16, 32, 48 and 128 pixel square renderings.
QIcon programIcon();
