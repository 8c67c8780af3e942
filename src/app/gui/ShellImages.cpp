#include "app/gui/ShellImages.h"

#include <QtGlobal>

// Outside the namespace: the macro declares the resource's initialiser in the global one.
static void initImagesResource() {
    Q_INIT_RESOURCE(images);
}

namespace vestrel {

void initShellImages() {
    initImagesResource();
}

} // namespace vestrel
