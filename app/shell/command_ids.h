#pragma once

namespace zelkora::app::command {

// Command identifiers shared by the menu, the toolbar and the accelerators.
inline constexpr int kSaveData = 32771;
inline constexpr int kExit = 32772;
inline constexpr int kSystem = 32778;
inline constexpr int kPciDevice = 32780;
inline constexpr int kIdeDevice = 32781;
inline constexpr int kAbout = 32784;
inline constexpr int kSuperIo = 32788;
inline constexpr int kSaveBitmapToClipboard = 32790;
inline constexpr int kSaveBitmapToFile = 32791;
inline constexpr int kSavePciConfig = 32798;
inline constexpr int kLoadPciConfig = 32799;

// Resource numbers of the main window's parts.
inline constexpr int kToolbarResource = 132;
inline constexpr int kAcceleratorResource = 142;
inline constexpr int kPagePlaceholder = 1002;

}  // namespace zelkora::app::command
