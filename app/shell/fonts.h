#pragma once

#include <QFont>

#include "app/shell/language.h"

class QWidget;

namespace zelkora::app {

// Every face the windows draw text with is chosen here, by the run's language
// and never by the locale. A Chinese locale's default face has lines three
// pixels taller than the windows' rows and no italic, so leaving the choice
// to the desktop overlaps rows and clips the band.
//
// Each window applies its language's face in its constructor, before it is
// shown:
//
//     MyDialog::MyDialog(Language language, QWidget* parent) : QDialog(parent) {
//         ui_->setupUi(this);
//         useWindowFont(*this, language);
//         ...
//     }
//
// Children inherit it; a control that needs a face of its own (the hex grid's
// fixed-pitch face) sets it after this call.

// The text face of every window in `language`: an 11-pixel Latin sans serif
// (13-pixel lines) for English; for Simplified and Traditional Chinese a
// 12-pixel CJK sans serif with its own Latin glyphs and 14-pixel lines.
QFont windowFont(Language language);

// Sets windowFont(language) on `window` (and so on its children).
void useWindowFont(QWidget& window, Language language);

// The application's default face (menus, tool tips, message boxes) for the
// run's language; called once at start-up when the language is known.
void useApplicationFont(Language language);

// The maker's name down the main window's band: a Latin face, 16 pixels, bold,
// italic, in every language.
QFont bandFont();

}  // namespace zelkora::app
