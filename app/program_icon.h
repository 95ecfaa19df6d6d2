#pragma once

#include <QIcon>

// The program's icon, in its 16 x 16 and 32 x 32 renderings.
QIcon programIcon();
