#pragma once

#include <QWidget>

namespace zelkora::app {

// Controls that the program addresses by number carry it in this property,
// the same number in every language's form.
inline constexpr const char* kControlIdProperty = "controlId";

// The first descendant of `root` whose control number is `id`, or null.
QWidget* findControl(const QWidget* root, int id);

template <typename Widget>
Widget* control(const QWidget* root, int id) {
    return qobject_cast<Widget*>(findControl(root, id));
}

}  // namespace zelkora::app
