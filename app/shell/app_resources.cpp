#include "app/shell/app_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the initialiser in the enclosing namespace, which
// must be the global one.
static void registerImages() {
    Q_INIT_RESOURCE(zelkora);
}

namespace zelkora::app {

void loadResources() {
    static const bool registered = (registerImages(), true);
    (void)registered;
}

}  // namespace zelkora::app
