#pragma once

#include <array>

#include "app/shell/language.h"

namespace zelkora::app {

// The windows whose texts are translated; each has one template per language.
enum class WindowRole { About, Main, Ide, System, Reminder, PciDevice, SuperIo };

// Template identifiers by role and language (English, Simplified Chinese,
// Traditional Chinese). Other windows look their role up here so that one
// language is used throughout a run.
inline constexpr std::array<std::array<int, 3>, 7> kWindowTemplates{{
    {159, 158, 182},  // About page
    {154, 155, 184},  // Main window
    {169, 162, 185},  // IDE page
    {161, 160, 187},  // System page
    {168, 167, 189},  // Reminder dialog
    {173, 172, 174},  // PCI Device dialog
    {176, 175, 177},  // Super-I/O dialog
}};

// The menu that each language's main window template names.
inline constexpr std::array<int, 3> kMenuTemplates{156, 157, 181};

constexpr int templateId(WindowRole role, Language language) {
    return kWindowTemplates[static_cast<std::size_t>(role)][static_cast<std::size_t>(language)];
}

constexpr int menuId(Language language) {
    return kMenuTemplates[static_cast<std::size_t>(language)];
}

}  // namespace zelkora::app
