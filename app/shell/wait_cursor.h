#pragma once

#include <QApplication>

namespace zelkora::app {

// The wait cursor while a command reads or writes; the normal cursor comes
// back however the guarded work ends.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace zelkora::app
