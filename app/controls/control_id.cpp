#include "app/controls/control_id.h"

namespace zelkora::app {

QWidget* findControl(const QWidget* root, int id) {
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        const QVariant value = widget->property(kControlIdProperty);
        if (value.isValid() && value.toInt() == id) return widget;
    }
    return nullptr;
}

}  // namespace zelkora::app
