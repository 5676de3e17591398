#include "app/pages/translated_texts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace zelkora::app {

namespace {

bool nameMatches(const QString& objectName, const char* name) {
    const QString stem = QString::fromLatin1(name);
    if (!objectName.startsWith(stem)) return false;
    for (qsizetype i = stem.size(); i < objectName.size(); ++i) {
        if (!objectName[i].isDigit()) return false;
    }
    return true;
}

void setText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else {
        widget->setWindowTitle(text);
    }
}

}  // namespace

void applyTexts(QWidget* form, std::span<const TranslatedText> texts, Language language) {
    auto widgets = form->findChildren<QWidget*>();
    widgets.prepend(form);
    for (const auto& entry : texts) {
        const QString text = QString::fromUtf8(inLanguage(entry.texts, language));
        for (QWidget* widget : widgets) {
            if (nameMatches(widget->objectName(), entry.name)) setText(widget, text);
        }
    }
}

}  // namespace zelkora::app
