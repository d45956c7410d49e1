#include "app/app_icon.h"

QIcon AppIcon() {
    // The resource lives in a static library: without this call the linker drops it.
    Q_INIT_RESOURCE(app_icon);
    // The same drawing as the desktop's icon (resources/icons), at every size it comes in.
    QIcon icon;
    for (int n : {16, 32, 48, 64, 128, 256}) icon.addFile(QString(":/icons/%1.png").arg(n), QSize(n, n));
    return icon;
}
