#pragma once

#include <array>
#include <span>

#include <QWidget>

#include "app/shell/language.h"

namespace zelkora::app {

// One text of a form in the three languages. `name` is the control's object
// name, or its stem when the form repeats the control with a number behind
// it (the IDE page's "serialLabel1048", "serialLabel1067", ...).
struct TranslatedText {
    const char* name;
    std::array<const char*, 3> texts;
};

// Puts the language's texts into the labels, group boxes, buttons and window
// titles of a form.
void applyTexts(QWidget* form, std::span<const TranslatedText> texts, Language language);

}  // namespace zelkora::app
