#pragma once

#include <array>
#include <cstddef>

// The numbers by which the program addresses the controls of its windows;
// each form carries them in the controlId property, the same in every
// language. One namespace per window: a number names different controls in
// different windows.
namespace zelkora::app {

namespace about_control {
inline constexpr int kTelephoneList = 1032;
inline constexpr int kWebSite = 1023;
inline constexpr int kDownload = 1025;
inline constexpr int kTestReport = 1027;
inline constexpr int kForum = 1026;
inline constexpr int kFaq = 1024;
// The links from top to bottom.
inline constexpr std::array<int, 5> kLinks{kWebSite, kDownload, kTestReport, kForum, kFaq};
}  // namespace about_control

namespace system_control {
// System
inline constexpr int kSystemGroup = 1012;
inline constexpr int kComputerName = 1014;
inline constexpr int kCurrentUser = 1018;
inline constexpr int kDateTime = 1020;
inline constexpr int kLanguage = 1021;
// OS and Memory
inline constexpr int kOsName = 1042;
inline constexpr int kOsVersion = 1028;
inline constexpr int kOtherInfo = 1044;
inline constexpr int kTotalSizeLabel = 1030;
inline constexpr int kTotalSize = 1045;
inline constexpr int kAvailablePhysical = 1043;
inline constexpr int kTotalPages = 1046;
// Processor
inline constexpr int kProcessor = 1058;
inline constexpr int kVendor = 1060;
inline constexpr int kSocketType = 1087;
inline constexpr int kFamily = 1062;
inline constexpr int kModel = 1027;
inline constexpr int kStepping = 1040;
inline constexpr int kInClock = 1029;
inline constexpr int kFsb = 1084;
inline constexpr int kRatio = 1041;
// MotherBoard
inline constexpr int kBoardManufacturer = 1076;
inline constexpr int kBoardModel = 1075;
inline constexpr int kBoardRevision = 1074;
inline constexpr int kBoardReleaseDate = 1073;
// BIOS
inline constexpr int kBiosVendor = 1083;
inline constexpr int kBiosVersion = 1082;
inline constexpr int kRomSize = 1081;
}  // namespace system_control

namespace ide_control {
// The group of each position: primary master, primary slave, secondary
// master, secondary slave.
inline constexpr std::array<int, 4> kGroups{1048, 1067, 1080, 1093};
// The value fields of each group, by the indexes below.
inline constexpr std::array<std::array<int, 8>, 4> kValueFields{{
    {1050, 1052, 1054, 1104, 1058, 1059, 1060, 1101},
    {1061, 1062, 1063, 1106, 1064, 1065, 1066, 1105},
    {1074, 1075, 1076, 1111, 1077, 1078, 1079, 1110},
    {1087, 1088, 1089, 1116, 1090, 1091, 1092, 1115},
}};
inline constexpr std::size_t kSerialNumber = 0;
inline constexpr std::size_t kModelNumber = 1;
inline constexpr std::size_t kFirmwareRev = 2;
inline constexpr std::size_t kMediaType = 3;
inline constexpr std::size_t kMajorVersion = 4;
inline constexpr std::size_t kDmaMode = 5;
inline constexpr std::size_t kPioMode = 6;
inline constexpr std::size_t kCapacity = 7;
}  // namespace ide_control

// What the PCI and the Super-I/O register dialogs share.
namespace register_control {
inline constexpr int kCurrentOffset = 1230;
// The pending edit, hidden: offset ("Original Value") and value ("Current Value").
inline constexpr int kPendingOffset = 1231;
inline constexpr int kPendingValue = 1232;
inline constexpr int kRefresh = 32804;
// Hidden buttons, wired to Refresh and to the list's selection.
inline constexpr int kHiddenChange = 32788;
inline constexpr int kHiddenCancel = 1037;
}  // namespace register_control

namespace pci_control {
inline constexpr int kDeviceList = 1017;
inline constexpr int kGrid = 1009;
inline constexpr int kBusNumber = 1022;
inline constexpr int kDeviceNumber = 1023;
inline constexpr int kFunctionNumber = 1024;
inline constexpr int kVendorId = 1016;
inline constexpr int kDeviceId = 1019;
inline constexpr int kRevision = 1018;
inline constexpr int kSubsystem = 1020;
inline constexpr int kIrq = 1015;
inline constexpr int kDeviceClass = 1021;
}  // namespace pci_control

namespace superio_control {
inline constexpr int kDeviceList = 1030;
inline constexpr int kGrid = 1010;
inline constexpr int kChipType = 1036;
inline constexpr int kChipId = 1035;
inline constexpr int kChipRevision = 1039;
inline constexpr int kDeviceClass = 1033;
inline constexpr int kIoAddress = 1034;
}  // namespace superio_control

}  // namespace zelkora::app
