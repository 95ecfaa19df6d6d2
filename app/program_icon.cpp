#include "program_icon.h"

QIcon programIcon()
{
    // The renderings live in this static library, so their resource is registered by hand;
    // registering it again is harmless.
    Q_INIT_RESOURCE(nimbrel);
    QIcon icon;
    icon.addFile(QStringLiteral(":/nimbrel/nimbrel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/nimbrel/nimbrel-32.png"), QSize(32, 32));
    return icon;
}
