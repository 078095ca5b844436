// Registration of the compiled-in images (kept apart from the manifest, which the generator uses
// before any image exists).
#include "skinmanifest.h"

#include <QtGlobal>

// rcc -name mlb8_skin: the registration function of the compiled-in images.
static void RegisterSkinResources() {
    Q_INIT_RESOURCE(mlb8_skin);
}

void InitSkinResources() {
    static const bool bDone = (RegisterSkinResources(), true);
    (void)bDone;
}
