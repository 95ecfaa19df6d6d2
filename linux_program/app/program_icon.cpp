#include "program_icon.h"

QIcon programIcon()
{
    // The renderings live in this static library, so their resource is registered by hand;
    // registering it again is harmless.
    Q_INIT_RESOURCE(nimbrel);
    // The larger renderings keep the icon sharp on screens that scale the window up.
    QIcon icon;
    for (const int size : {16, 32, 48, 128})
        icon.addFile(QStringLiteral(":/nimbrel/nimbrel-%1.png").arg(size), QSize(size, size));
    return icon;
}
